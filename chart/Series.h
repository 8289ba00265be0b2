#pragma once
// Line series: the fast line draws a series as one polyline with one pen.
#include "chart/TeEngine.h"

class TCustomLineSeries : public TChartSeries {
 public:
  using TChartSeries::TChartSeries;
  const char* ClassName() const override { return "TCustomLineSeries"; }
};

class TFastLineSeries : public TCustomLineSeries {
 public:
  explicit TFastLineSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TFastLineSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TFastLineSeriesEditor"; }

  bool AutoRepaint() const { return auto_repaint_; }
  void SetAutoRepaint(bool v) { SetBooleanProperty(auto_repaint_, v); }
  bool DrawAllPoints() const { return draw_all_points_; }
  void SetDrawAllPoints(bool v) { SetBooleanProperty(draw_all_points_, v); }
  bool IgnoreNulls() const { return ignore_nulls_; }
  void SetIgnoreNulls(bool v) { SetBooleanProperty(ignore_nulls_, v); }
  bool InvertedStairs() const { return inverted_stairs_; }
  void SetInvertedStairs(bool v) { SetBooleanProperty(inverted_stairs_, v); }
  bool Stairs() const { return stairs_; }
  void SetStairs(bool v) { SetBooleanProperty(stairs_, v); }
  TChartPen* LinePen() { return Pen(); }

  void SetPen(TChartPen* p) override;
  void SetSeriesColor(TColor C) override;
  void SetDefaultColor(TColor C) override;
  void CalcHorizMargins(int& LeftMargin, int& RightMargin) override;
  void CalcVerticalMargins(int& TopMargin, int& BottomMargin) override;
  void DrawAllValues() override;
  void DrawValue(int ValueIndex) override;
  void DrawLegendShape(int ValueIndex, const TRect& Rect) override;
  void PrepareLegendCanvas(int ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle) override;
  void NotifyNewValue(TChartSeries* Sender, int ValueIndex) override;
  int Clicked(int X, int Y) override;
  std::vector<AnsiString> CreateSubGallery() const;
  void SetSubGallery(int Index);
  // The margin a pen of width W needs on each side.
  static int PenMargin(int W) { return W - (W - 2) / 2; }

 private:
  void PrepareCanvas();
  bool Is3D() const;
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  bool auto_repaint_ = true, draw_all_points_ = true, ignore_nulls_ = true, inverted_stairs_ = false, stairs_ = false;
  int last_x_ = 0, last_y_ = 0;
};
