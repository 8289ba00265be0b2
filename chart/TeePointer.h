#pragma once
// The symbol a series draws at its points (square, circle, triangles, crosses, star,
// diamond, dot), flat or as a solid in 3-D, and the callout arrows from a point to its mark
// which draw such a symbol at their end.
#include <memory>
#include "chart/TeEngine.h"

enum TSeriesPointerStyle {
  psRectangle, psCircle, psTriangle, psDownTriangle, psCross, psDiagCross, psStar, psDiamond, psSmallDot,
  psNothing, psLeftTriangle, psRightTriangle
};
enum TArrowHeadStyle { ahNone, ahLine, ahSolid };

class TSeriesPointer : public TTeeCustomShapeBrushPen {
 public:
  explicit TSeriesPointer(TChartSeries* Series);
  ~TSeriesPointer() override;
  const char* ClassName() const override { return "TSeriesPointer"; }
  void Assign(TPersistent* Source) override;
  void Repaint() override;

  bool Dark3D() const { return dark3d_; }
  void SetDark3D(bool v) { Set(dark3d_, v); }
  bool Draw3D() const { return draw3d_; }
  void SetDraw3D(bool v) { Set(draw3d_, v); }
  // Made on first read.
  TTeeGradient* Gradient();
  const TTeeGradient* GradientIfAny() const { return gradient_.get(); }
  int HorizSize() const { return horiz_size_; }
  // Sizes below 1 raise ChartException and keep the old size.
  void SetHorizSize(int v);
  int VertSize() const { return vert_size_; }
  void SetVertSize(int v);
  bool InflateMargins() const { return inflate_margins_; }
  void SetInflateMargins(bool v) { Set(inflate_margins_, v); }
  TSeriesPointerStyle Style() const { return style_; }
  void SetStyle(TSeriesPointerStyle v) { Set(style_, v); }
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v) { Set(transparency_, std::clamp(v, 0, 100)); }
  TChartSeries* Series() const { return series_; }

  // Pen and brush of the canvas for a symbol of point colour Color.
  void PrepareCanvas(TTeeCanvas3D* Canvas, TColor Color);
  // Draws the symbol centred at (X, Y) with the given half sizes, colour and style.
  void Draw(TTeeCanvas3D* Canvas, bool Is3D, int X, int Y, int HorizSize, int VertSize, TColor Color,
            TSeriesPointerStyle Style);
  void Draw(int X, int Y, TColor Color);

 protected:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    Repaint();
  }
  int StartZ() const { return series_ ? series_->StartZ : 0; }
  int MiddleZ() const { return series_ ? series_->MiddleZ : 0; }
  int EndZ() const { return series_ ? series_->EndZ : 0; }
  TChartSeries* series_;
  bool dark3d_ = true, draw3d_ = true, inflate_margins_ = true;
  std::unique_ptr<TTeeGradient> gradient_;
  int horiz_size_ = 4, vert_size_ = 4, transparency_ = 0;
  TSeriesPointerStyle style_ = psRectangle;
};

// An arrow from a point to a place (a mark), with an optional head and a symbol at its end.
class TCallout : public TSeriesPointer {
 public:
  explicit TCallout(TChartSeries* Series);
  const char* ClassName() const override { return "TCallout"; }
  void Assign(TPersistent* Source) override;

  TChartPen* Arrow() { return &arrow_; }
  TArrowHeadStyle ArrowHead() const { return arrow_head_; }
  void SetArrowHead(TArrowHeadStyle v) { Set(arrow_head_, v); }
  int ArrowHeadSize() const { return arrow_head_size_; }
  void SetArrowHeadSize(int v) { Set(arrow_head_size_, v); }
  int Distance() const { return distance_; }
  void SetDistance(int v) { Set(distance_, v); }

  // Draws the arrow from From to To at depth Z, and the symbol at To when there is no head.
  void Draw(TColor Color, TPoint From, int Z, TPoint To);

 protected:
  TWhitePen arrow_;
  TArrowHeadStyle arrow_head_ = ahNone;
  int arrow_head_size_ = 8, distance_ = 0;
};

// The callout of a series' marks: its length lifts the mark box above the point.
class TMarksCallout : public TCallout {
 public:
  explicit TMarksCallout(TChartSeries* Series);
  const char* ClassName() const override { return "TMarksCallout"; }
  void Assign(TPersistent* Source) override;
  int Length() const { return length_; }
  void SetLength(int v) { Set(length_, v); }

 private:
  int length_ = 8;
};

// Registers the pointer and callout classes for form resources.
void RegisterPointerClasses();
