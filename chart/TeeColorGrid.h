#pragma once
// Colour grid series: a grid series shown as a flat image, one pixel per grid point in its
// value colour, stretched over the cells it covers on the axes, with optional grid lines
// and an outline.
#include "chart/TeeSurfa.h"

class TColorGridSeries : public TCustom3DGridSeries {
 public:
  explicit TColorGridSeries(TComponent* AOwner);
  ~TColorGridSeries() override;
  const char* ClassName() const override { return "TColorGridSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TColorGridEditor"; }

  bool CenteredPoints() const { return centered_; }
  void SetCenteredPoints(bool v) { SetBooleanProperty(centered_, v); }
  TChartHiddenPen* Frame() { return &frame_; }
  void SetFrame(TChartPen* P) { frame_.Assign(P); }
  bool SmoothBitmap() const { return smooth_; }
  void SetSmoothBitmap(bool v) { SetBooleanProperty(smooth_, v); }
  int XGridEvery() const { return x_every_; }
  // Steps below 1 count as 1.
  void SetXGridEvery(int v) { SetIntegerProperty(x_every_, std::max(1, v)); }
  int ZGridEvery() const { return z_every_; }
  void SetZGridEvery(int v) { SetIntegerProperty(z_every_, std::max(1, v)); }

  double MinXValue() override;
  double MaxXValue() override;
  double MinZValue() override;
  double MaxZValue() override;
  // The vertical axis shows Z.
  double MinYValue() override { return MinZValue(); }
  double MaxYValue() override { return MaxZValue(); }
  void DrawAllValues() override;
  void DrawMark(int ValueIndex, const AnsiString& Text, TSeriesMarkPosition& Position) override;
  // The point whose cell holds the pixel; -1 outside the grid.
  int Clicked(int X, int Y) override;
  // The image of the last drawing (one pixel per visible grid point).
  // The gallery's variants: Normal, Color Range, No Grid.
  std::vector<AnsiString> CreateSubGallery() const;
  void SetSubGallery(int Index);
  // As for any palette series, on a sample grid of 8 x 4 points, clipped to the axes and
  // drawn in 3-D only when enabled.
  void PrepareForGallery(bool Enabled) override;
  TBitmap* Image() const { return image_.get(); }
  // The pixel rectangle of the last drawing's image.
  TRect ImageRect() const { return image_rect_; }

 private:
  // The value of grid column X (row Z): the coordinate of the points in it.
  double ColumnValue(int X) const;
  double RowValue(int Z) const;
  bool centered_ = false, smooth_ = false;
  TChartHiddenPen frame_;
  int x_every_ = 1, z_every_ = 1;
  std::unique_ptr<TBitmap> image_;
  TRect image_rect_;
};

// Registers the colour grid series for form resources.
void RegisterColorGridClasses();
