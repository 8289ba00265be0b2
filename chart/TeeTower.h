#pragma once
// Tower series (one 3-D column per grid point) and vector series (one 3-D arrow per point
// from (X, Y, Z) to (EndX, EndY, EndZ)).
#include "chart/TeeSurfa.h"

enum TTowerStyle { tsCube, tsRectangle, tsCover, tsCylinder, tsArrow, tsCone, tsPyramid, tsSlantCube };

class TTowerSeries : public TCustom3DGridSeries {
 public:
  explicit TTowerSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TTowerSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TTowerSeriesEditor"; }

  TTowerStyle TowerStyle() const { return tower_style_; }
  void SetTowerStyle(TTowerStyle v);
  int PercentWidth() const { return percent_width_; }
  void SetPercentWidth(int v) { SetIntegerProperty(percent_width_, v); }
  int PercentDepth() const { return percent_depth_; }
  void SetPercentDepth(int v) { SetIntegerProperty(percent_depth_, v); }
  bool Dark3D() const { return dark3d_; }
  void SetDark3D(bool v) { SetBooleanProperty(dark3d_, v); }
  double Origin() const { return origin_; }
  void SetOrigin(double v) { SetDoubleProperty(origin_, v); }
  bool UseOrigin() const { return use_origin_; }
  void SetUseOrigin(bool v) { SetBooleanProperty(use_origin_, v); }
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v) { SetIntegerProperty(transparency_, std::clamp(v, 0, 100)); }

  double MaxXValue() override { return x_values_->MaxValue() + 0.5; }
  double MinXValue() override { return x_values_->MinValue() - 0.5; }
  double MaxZValue() override { return z_values_->MaxValue() + 0.5; }
  double MinZValue() override { return z_values_->MinValue() - 0.5; }
  // The tower of point Index: its front rectangle and its near and far depths.
  TRect TowerBox(int Index, int& ZNear, int& ZFar);
  void DrawAllValues() override;
  void DrawMark(int ValueIndex, const AnsiString& Text, TSeriesMarkPosition& Position) override;
  int Clicked(int X, int Y) override;
  // The gallery's variants, from Normal and Color Range to the tower shapes.
  std::vector<AnsiString> CreateSubGallery() const;
  void SetSubGallery(int Index);
  // As for any palette series, on a sample grid of 5 x 5 towers.
  void PrepareForGallery(bool Enabled) override;

 private:
  void DrawTower(int Index);
  // The cover face of point Index on the screen: the box's top edge at the value's height,
  // from the near to the far depth.
  std::vector<TPoint> CoverFace(int Index, const TRect& Box, int ZNear, int ZFar);
  TTowerStyle tower_style_ = tsCube;
  int percent_width_ = 100, percent_depth_ = 100, transparency_ = 0;
  bool dark3d_ = true, use_origin_ = false;
  double origin_ = 0;
};

class TVector3DSeries : public TCustom3DPaletteSeries {
 public:
  explicit TVector3DSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TVector3DSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TVectorSeriesEditor"; }

  int ArrowWidth() const { return arrow_width_; }
  void SetArrowWidth(int v) { SetIntegerProperty(arrow_width_, v); }
  int ArrowHeight() const { return arrow_height_; }
  void SetArrowHeight(int v) { SetIntegerProperty(arrow_height_, v); }
  TChartHiddenPen* StartArrow() { return &start_arrow_; }
  void SetStartArrow(TChartPen* P) { start_arrow_.Assign(P); }
  TChartPen* EndArrow() { return &end_arrow_; }
  void SetEndArrow(TChartPen* P) { end_arrow_.Assign(P); }
  TChartValueList* EndXValues() const { return end_x_; }
  TChartValueList* EndYValues() const { return end_y_; }
  TChartValueList* EndZValues() const { return end_z_; }

  int AddVector(double X, double Y, double Z, double EndX, double EndY, double EndZ,
                const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);
  double MaxXValue() override { return std::max(x_values_->MaxValue(), end_x_->MaxValue()); }
  double MinXValue() override { return std::min(x_values_->MinValue(), end_x_->MinValue()); }
  double MaxYValue() override { return std::max(y_values_->MaxValue(), end_y_->MaxValue()); }
  double MinYValue() override { return std::min(y_values_->MinValue(), end_y_->MinValue()); }
  double MaxZValue() override { return std::max(z_values_->MaxValue(), end_z_->MaxValue()); }
  double MinZValue() override { return std::min(z_values_->MinValue(), end_z_->MinValue()); }
  void DrawValue(int ValueIndex) override;
  void DrawAllValues() override;
  // Only another vector series has the end values this series needs.
  bool IsValidSeriesSource(const TChartSeries* Source) const override;

 protected:
  int DefaultSampleCount() const override { return 250; }

 private:
  void DrawHead(TChartPen* ArrowPen, TColor PointColor, TPoint T, double Angle);
  int arrow_width_ = 4, arrow_height_ = 4;
  TChartHiddenPen start_arrow_;
  TChartPen end_arrow_;
  TChartValueList* end_x_;
  TChartValueList* end_y_;
  TChartValueList* end_z_;
};

// Registers the tower and vector series for form resources.
void RegisterTowerClasses();
