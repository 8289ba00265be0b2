#pragma once
// Grid-based 3-D series. TCustom3DSeries adds a third value list (Z); TCustom3DPaletteSeries
// turns a Y value into a colour (a colour range or a palette table); TCustom3DGridSeries
// holds a regular NumX x NumZ grid of points filled from OnGetYValue; TSurfaceSeries draws
// the grid as a shaded surface, one four-cornered patch per cell in painter's order.
#include <functional>
#include <vector>
#include "chart/TeEngine.h"

using TChartSurfaceGetY = std::function<double(TChartSeries* Sender, int X, int Z)>;
using TOnGetPointColor = std::function<void(TChartSeries* Sender, int ValueIndex, TColor& Color)>;

class TCustom3DSeries : public TChartSeries {
 public:
  explicit TCustom3DSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TCustom3DSeries"; }
  void Assign(TPersistent* Source) override;

  TChartValueList* ZValues() const { return z_values_; }
  int TimesZOrder() const { return times_z_order_; }
  void SetTimesZOrder(int v) { SetIntegerProperty(times_z_order_, v); }

  int AddXYZ(double X, double Y, double Z, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);
  double MaxZValue() override { return z_values_->MaxValue(); }
  double MinZValue() override { return z_values_->MinValue(); }
  void CalcZOrder() override;
  bool AssociatedToAxis(const TChartAxis* Axis) const override;
  TChartValueList* ValueListOfAxis(const TChartAxis* Axis) const override;
  // True when the grid rows must be visited from the first row to the last (the depth axis
  // inverted, or the view turned round so that the depth runs toward the viewer).
  bool IsZReversed() const;
  // Continuous legend symbols touch each other: they are drawn without an outline.
  void PrepareLegendCanvas(int ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle) override;

 protected:
  TChartValueList* z_values_;
  int times_z_order_ = 3;
};

enum TTeePaletteStyle { psPale, psStrong, psGrayScale, psInvGray, psRainbow };

struct TTeePaletteEntry {
  double UpToValue = 0;
  TColor Color = clBlack;
};

class TCustom3DPaletteSeries : public TCustom3DSeries {
 public:
  explicit TCustom3DPaletteSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TCustom3DPaletteSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TGrid3DSeriesEditor"; }

  TColor StartColor() const { return start_color_; }
  void SetStartColor(TColor v);
  TColor MidColor() const { return mid_color_; }
  void SetMidColor(TColor v);
  TColor EndColor() const { return end_color_; }
  void SetEndColor(TColor v);
  bool UseColorRange() const { return use_color_range_; }
  void SetUseColorRange(bool v);
  bool UsePalette() const { return use_palette_; }
  void SetUsePalette(bool v);
  int PaletteSteps() const { return palette_steps_; }
  void SetPaletteSteps(int v);
  TTeePaletteStyle PaletteStyle() const { return palette_style_; }
  void SetPaletteStyle(TTeePaletteStyle v);
  double PaletteMin() const { return palette_min_; }
  void SetPaletteMin(double v);
  double PaletteStep() const { return palette_step_; }
  void SetPaletteStep(double v);
  bool UsePaletteMin() const { return use_palette_min_; }
  void SetUsePaletteMin(bool v);
  int LegendEvery() const { return legend_every_; }
  void SetLegendEvery(int v);

  const std::vector<TTeePaletteEntry>& Palette() const { return palette_; }
  int AddPalette(double Value, TColor Color);
  void ClearPalette() { palette_.clear(); }
  void CreateDefaultPalette(int Steps);

  // The colour of a Y value under the current scheme.
  TColor ValueColor(double Y);
  // The colour of a share 0..1 of the Y range between EndColor (0) and StartColor (1).
  TColor RangeColor(double Share) const;
  TColor GetValueColor(int Index) const override;
  void BeforeDrawChart() override;
  void Clear() override;
  int CountLegendItems() override;
  int LegendToValueIndex(int LegendIndex) const override { return LegendIndex; }
  TColor LegendPaletteColor(int LegendIndex);
  AnsiString LegendPaletteText(int LegendIndex);
  // Coloured by range or palette, the legend lists the palette's entries, highest first,
  // each in its own colour, instead of the points.
  AnsiString LegendString(int LegendIndex, TLegendTextStyle Style) override;
  TColor LegendItemColor(int Index) override;
  // The whole series' symbol under a colour range: the range as a gradient.
  void DrawLegendShape(int ValueIndex, const TRect& Rect) override;
  // The preview is coloured by the rainbow palette (pen black), or greyed out.
  void PrepareForGallery(bool Enabled) override;

  TOnGetPointColor OnGetColor;

 protected:
  void RecalcColors();
  void RecalcRange();
  TColor start_color_ = 0x800000, mid_color_ = clNone, end_color_ = 0xFFFFFF;
  bool use_color_range_ = true, use_palette_ = false, use_palette_min_ = false;
  int palette_steps_ = 32, legend_every_ = 1;
  TTeePaletteStyle palette_style_ = psPale;
  double palette_min_ = 0, palette_step_ = 0;
  std::vector<TTeePaletteEntry> palette_;
  // Colour components of the end colour and the differences to the other colours.
  int end_rgb_[3] = {0, 0, 0}, mid_rgb_[3] = {0, 0, 0}, start_rgb_[3] = {0, 0, 0};
  double y_min_ = 0, y_max_ = 0, range_recip_ = 0;
};

class TCustom3DGridSeries : public TCustom3DPaletteSeries {
 public:
  // The most distinct X or Z values an irregular grid holds.
  static constexpr int MaxIrregularValues = 2000;

  explicit TCustom3DGridSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TCustom3DGridSeries"; }
  void Assign(TPersistent* Source) override;

  int NumXValues() const { return num_x_; }
  void SetNumXValues(int v);
  int NumZValues() const { return num_z_; }
  void SetNumZValues(int v);
  bool IrregularGrid() const { return irregular_; }
  void SetIrregularGrid(bool v);

  // Clears the series and adds NumX x NumZ points, X = 1..NumX fastest, Z = 1..NumZ, each Y
  // from GetCellYValue; does nothing without an OnGetYValue handler (outside samples).
  void CreateValues(int NumX, int NumZ);
  double GetCellYValue(int X, int Z);
  // The sample grid (GetCellYValue's hill and valley) of N x N, or NumX x NumZ, points.
  void CreateSampleValues(int N) { CreateSampleValues(N, N); }
  void CreateSampleValues(int NumX, int NumZ);
  void Clear() override;
  void AddValues(TChartSeries* Source) override;
  void BeforeDrawChart() override;
  // Rebuilds the grid index from the points (from point First on).
  void FillGridIndex(int First = 0);
  // The point index at grid position (X, Z), -1 where none lies or outside the grid.
  int GridIndex(int X, int Z) const;
  // Reads the four corner point indices of cell (X, Z) in the current drawing direction;
  // false when any is missing.
  bool CellCorners(int X, int Z);

  TChartSurfaceGetY OnGetYValue;
  int DX = 1, DZ = 1;
  int Corner[4] = {-1, -1, -1, -1};

 protected:
  // The sample grid of NumValues x NumValues points.
  void AddSampleValues(int NumValues) override;
  void ResetGrid();
  // The grid positions from column XFrom to XTo and, for each column, from row ZFrom to ZTo
  // (each counting up or down), in the order a painter draws them: column after column, or,
  // seen straight on in perspective, the columns from both ends toward the middle so that
  // those in front of the viewer's centre come last.
  std::vector<TPoint> PaintersOrder(int XFrom, int XTo, int ZFrom, int ZTo) const;
  int num_x_ = 10, num_z_ = 10;
  bool irregular_ = false, sample_ = false;
  std::vector<int> grid_;  // (num_x_ + 1) x (num_z_ + 1), index [x * (num_z_ + 1) + z]
  int grid_nx_ = 0, grid_nz_ = 0;
};

class TSurfaceSeries : public TCustom3DGridSeries {
 public:
  explicit TSurfaceSeries(TComponent* AOwner);
  ~TSurfaceSeries() override;
  const char* ClassName() const override { return "TSurfaceSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TSurfaceSeriesEditor"; }

  bool DotFrame() const { return dot_frame_; }
  void SetDotFrame(bool v);
  bool WireFrame() const { return wire_frame_; }
  void SetWireFrame(bool v);
  bool FastBrush() const { return fast_brush_; }
  void SetFastBrush(bool v);
  TChartBrush* SideBrush() { return &side_brush_; }
  TChartHiddenPen* SideLines() { return &side_lines_; }
  bool SmoothPalette() const { return smooth_palette_; }
  void SetSmoothPalette(bool v) { SetBooleanProperty(smooth_palette_, v); }
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v);

  void DrawAllValues() override;
  void DrawCell(int X, int Z);
  int Clicked(int X, int Y) override;
  // The cells in painter's order, farthest first (for drawing and hit tests).
  std::vector<TPoint> CellOrder();
  // The fill colour of the cell whose corners CellCorners found.
  TColor CellColor();
  // Water-fall rows instead of cells (set by TWaterFallSeries).
  bool WaterFall() const { return water_fall_; }
  // As for any palette series, on a sample grid of 10 x 10 points.
  void PrepareForGallery(bool Enabled) override;

 protected:
  void DrawWaterFallCell(int X, int Z);
  void ApplyCellColor(TColor Color);
  bool water_fall_ = false;
  TChartPen water_lines_;
  void PrepareCanvas();
  void CacheAxes();
  void DrawSides(bool Front);
  TPoint CornerPixel(int Index) const;
  bool dot_frame_ = false, wire_frame_ = false, fast_brush_ = false, smooth_palette_ = false;
  int transparency_ = 0;
  TChartBrush side_brush_;
  TChartHiddenPen side_lines_;
  bool keep_brush_ = false;
  TChartAxis* haxis_ = nullptr;
  TChartAxis* vaxis_ = nullptr;
  TChartAxis* daxis_ = nullptr;
};

// Each grid row as a filled profile down to the axis' bottom, rows one behind the other.
class TWaterFallSeries : public TSurfaceSeries {
 public:
  explicit TWaterFallSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TWaterFallSeries"; }
  AnsiString GetEditorClassName() const override { return "TWaterFallEditor"; }
  void SetWaterFall(bool v) { SetBooleanProperty(water_fall_, v); }
  // As for the surface; the preview is drawn in 3-D only when enabled.
  void PrepareForGallery(bool Enabled) override;
  // The vertical drop lines from the row points to the axis' bottom.
  TChartPen* WaterLines() { return &water_lines_; }
};

// Registers the 3-D series classes for form resources.
void RegisterSurfaceClasses();
