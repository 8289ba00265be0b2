#pragma once
// The chart control that forms place: the axis panel completed with titles, legend and
// walls, the legend itself, the series and tool registries and the colour palettes.
#include <memory>
#include <vector>
#include "chart/TeEngine.h"
#include "chart/TeeTools.h"
#include "platform/classes/Lists.h"

class TCustomChart;

CQ5_DECLARE_EXCEPTION(LegendException, Exception)

#include "platform/stdctrls/Edits.h"

class TTeeCustomShapePosition : public TTeeCustomShape {
 public:
  using TTeeCustomShape::TTeeCustomShape;
  bool CustomPosition() const { return custom_position_; }
  void SetCustomPosition(bool v) { Set(custom_position_, v); }
  int Left() const { return ShapeBounds.Left; }
  void SetLeft(int v);
  int Top() const { return ShapeBounds.Top; }
  void SetTop(int v);

 protected:
  bool custom_position_ = false;
};

class TChartTitle : public TTeeCustomShapePosition {
 public:
  explicit TChartTitle(TCustomChart* AOwner, bool Foot = false);
  const char* ClassName() const override { return "TChartTitle"; }
  void Assign(TPersistent* Source) override;
  bool AdjustFrame() const { return adjust_frame_; }
  void SetAdjustFrame(bool v) { Set(adjust_frame_, v); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { Set(alignment_, v); }
  TStrings* Text() { return &text_; }
  bool IsFoot() const { return foot_; }
  // Draws the title and, unless custom-positioned, takes its room from the chart rectangle.
  void DrawTitle();
  bool Clicked(int X, int Y) const;
  TRect TitleRect;

 private:
  bool foot_;
  bool adjust_frame_ = true;
  TAlignment alignment_ = taCenter;
  TStringList text_;
};

class TCustomChartWall : public TTeeCustomShape {
 public:
  TCustomChartWall(TCustomChart* AOwner, TColor DefaultColor);
  const char* ClassName() const override { return "TCustomChartWall"; }
  void Assign(TPersistent* Source) override;
  bool AutoHide() const { return auto_hide_; }
  void SetAutoHide(bool v) { Set(auto_hide_, v); }
  bool Dark3D() const { return dark3d_; }
  void SetDark3D(bool v) { Set(dark3d_, v); }
  int Size() const { return size_; }
  void SetSize(int v) { Set(size_, v); }
  TColor DefaultColor() const { return default_color_; }

 protected:
  bool auto_hide_ = false, dark3d_ = true;
  int size_ = 0;
  TColor default_color_;
};

class TChartWall : public TCustomChartWall {
 public:
  using TCustomChartWall::TCustomChartWall;
  const char* ClassName() const override { return "TChartWall"; }
};
class TChartBackWall : public TChartWall {
 public:
  explicit TChartBackWall(TCustomChart* AOwner);
  const char* ClassName() const override { return "TChartBackWall"; }
};
class TChartRightWall : public TChartWall {
 public:
  explicit TChartRightWall(TCustomChart* AOwner);
  const char* ClassName() const override { return "TChartRightWall"; }
};

// ---- legend ----

enum TLegendAlignment { laLeft, laRight, laTop, laBottom };
enum TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };
enum TCheckBoxesStyle { cbsCheck, cbsRadio };
enum TLegendSymbolPosition { spLeft, spRight };
enum TLegendSymbolSize { lcsPercent, lcsPixels };

class TLegendSymbol : public TPersistent {
 public:
  explicit TLegendSymbol(TTeeCustomShapeBrushPen* Legend);
  const char* ClassName() const override { return "TLegendSymbol"; }
  void Assign(TPersistent* Source) override;
  // Each setter stores a changed value and repaints the legend's chart.
  bool Continuous() const { return continuous_; }
  void SetContinuous(bool v) { Set(continuous_, v); }
  bool DefaultPen() const { return default_pen_; }
  void SetDefaultPen(bool v) { Set(default_pen_, v); }
  bool Squared() const { return squared_; }
  void SetSquared(bool v) { Set(squared_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Set(visible_, v); }
  TLegendSymbolPosition Position() const { return position_; }
  void SetPosition(TLegendSymbolPosition v) { Set(position_, v); }
  int Width() const { return width_; }
  void SetWidth(int v) { Set(width_, v); }
  TLegendSymbolSize WidthUnits() const { return width_units_; }
  void SetWidthUnits(TLegendSymbolSize v) { Set(width_units_, v); }
  TChartPen* Pen() { return &pen_; }
  std::function<void(TObject* Sender, TChartSeries* Series, int ValueIndex, const TRect& R)> OnDraw;

 private:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    legend_->Repaint();
  }
  TTeeCustomShapeBrushPen* legend_;
  bool continuous_ = false, default_pen_ = true, squared_ = false, visible_ = true;
  TLegendSymbolPosition position_ = spLeft;
  int width_ = 20;
  TLegendSymbolSize width_units_ = lcsPercent;
  TChartPen pen_;
};

class TLegendTitle : public TTeeShape {
 public:
  explicit TLegendTitle(TCustomTeePanel* AOwner);
  const char* ClassName() const override { return "TLegendTitle"; }
  void Assign(TPersistent* Source) override;
  TStrings* Text() { return &text_; }
  TAlignment TextAlignment() const { return text_alignment_; }
  void SetTextAlignment(TAlignment v) { Set(text_alignment_, v); }
  int TitleHeight();
  int TitleWidth();
  void DrawTitle(const TRect& LegendRect);

 private:
  TStringList text_;
  TAlignment text_alignment_ = taLeftJustify;
};

class TChartLegendGradient : public TTeeGradient {
 public:
  explicit TChartLegendGradient(TNotifyEvent OnChange = {});
  const char* ClassName() const override { return "TChartLegendGradient"; }
};

class TChartLegend : public TTeeCustomShapePosition {
 public:
  explicit TChartLegend(TCustomChart* AOwner);
  ~TChartLegend() override;
  const char* ClassName() const override { return "TChartLegend"; }
  void Assign(TPersistent* Source) override;

  // Each setter stores a changed value and repaints the chart.
  TLegendAlignment Alignment() const { return alignment_; }
  void SetAlignment(TLegendAlignment v) { Set(alignment_, v); }
  bool CheckBoxes() const { return check_boxes_; }
  void SetCheckBoxes(bool v) { Set(check_boxes_, v); }
  TCheckBoxesStyle CheckBoxesStyle() const { return check_boxes_style_; }
  void SetCheckBoxesStyle(TCheckBoxesStyle v) { Set(check_boxes_style_, v); }
  bool CurrentPage() const { return current_page_; }
  void SetCurrentPage(bool v) { Set(current_page_, v); }
  bool FontSeriesColor() const { return font_series_color_; }
  void SetFontSeriesColor(bool v) { Set(font_series_color_, v); }
  bool Inverted() const { return inverted_; }
  void SetInverted(bool v) { Set(inverted_, v); }
  bool ResizeChart() const { return resize_chart_; }
  void SetResizeChart(bool v) { Set(resize_chart_, v); }
  int HorizMargin() const { return horiz_margin_; }
  void SetHorizMargin(int v) { Set(horiz_margin_, v); }
  int VertMargin() const { return vert_margin_; }
  void SetVertMargin(int v) { Set(vert_margin_, v); }
  int MaxNumRows() const { return max_num_rows_; }
  void SetMaxNumRows(int v) { Set(max_num_rows_, v); }
  int TopPos() const { return top_pos_; }
  void SetTopPos(int v) { Set(top_pos_, v); }
  int VertSpacing() const { return vert_spacing_; }
  void SetVertSpacing(int v) { Set(vert_spacing_, v); }
  TLegendStyle LegendStyle() const { return legend_style_; }
  void SetLegendStyle(TLegendStyle v) { Set(legend_style_, v); }
  TLegendTextStyle TextStyle() const { return text_style_; }
  void SetTextStyle(TLegendTextStyle v) { Set(text_style_, v); }
  int ColorWidth() const { return symbol_.Width(); }
  void SetColorWidth(int v) { symbol_.SetWidth(v); }
  TChartHiddenPen* DividingLines() { return &dividing_lines_; }
  int FirstValue() const { return first_value_; }
  void SetFirstValue(int v);
  TLegendSymbol* Symbol() { return &symbol_; }
  TLegendTitle* Title() { return &title_; }
  TChartSeries* Series = nullptr;  // the series whose points are listed (the first active one when none)
  // A tool may reserve room inside the legend through this hook.
  std::function<void(TChartLegend* Sender, int& Size)> OnSizeHook;

  bool Vertical() const { return alignment_ == laLeft || alignment_ == laRight; }
  TLegendStyle ResolvedStyle();
  bool ShowCheckBoxes();
  bool ShouldDraw();
  int CalcItemHeight();
  AnsiString ItemText(int Index);
  void Draw();
  int Clicked(int X, int Y);
  bool DoMouseCheckBox(int X, int Y);
  AnsiString FormattedValue(TChartSeries* S, int ValueIndex);
  TChartSeries* LegendSeriesOfValues();

  // Layout of the last draw.
  int Columns = 0, Rows = 0, ItemHeight = 0, ItemsTop = 0, LastIndex = -1, TotalItems = 0;
  int SymbolWidth = 0, TextWidth = 0, ColumnWidths[2] = {0, 0}, ItemLeft = 0, CheckBoxLeft = 0, SymbolLeft = 0,
      TextLeft = 0, SpaceWidth = 0;

 private:
  int CalcSymbolWidth(int Base);
  std::unique_ptr<TTeeGradient> NewGradient() override;
  TLegendAlignment alignment_ = laRight;
  bool check_boxes_ = false;
  TCheckBoxesStyle check_boxes_style_ = cbsCheck;
  bool current_page_ = true;
  bool font_series_color_ = false;
  bool inverted_ = false;
  bool resize_chart_ = true;
  int horiz_margin_ = 0;
  int vert_margin_ = 0;
  int max_num_rows_ = 10;
  int top_pos_ = 10;
  int vert_spacing_ = 0;
  TLegendStyle legend_style_ = lsAuto;
  TLegendTextStyle text_style_ = ltsLeftValue;
  TCustomChart* chart_;
  TChartHiddenPen dividing_lines_;
  int first_value_ = 0;
  TLegendSymbol symbol_;
  TLegendTitle title_;
  std::vector<AnsiString> texts_;
};

using TOnGetLegendText = std::function<void(TCustomChart* Sender, TLegendStyle Style, int Index, AnsiString& Text)>;
using TOnGetLegendRect = std::function<void(TCustomChart* Sender, TRect& Rect)>;
using TOnGetLegendPos = std::function<void(TCustomChart* Sender, int Index, int& X, int& Y, int& XColor)>;

enum TChartClickedPartStyle { cpNone, cpLegend, cpAxis, cpSeries, cpTitle, cpFoot, cpChartRect, cpSeriesMarks, cpSubTitle, cpSubFoot };
struct TChartClickedPart {
  TChartClickedPartStyle Part = cpNone;
  int PointIndex = -1;
  TChartSeries* ASeries = nullptr;
  TChartAxis* AAxis = nullptr;
};

using TChartClick = std::function<void(TCustomChart* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TChartClickAxis =
    std::function<void(TCustomChart* Sender, TChartAxis* Axis, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TChartClickSeries = std::function<void(TCustomChart* Sender, TChartSeries* Series, int ValueIndex,
                                             TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TChartClickTitle =
    std::function<void(TCustomChart* Sender, TChartTitle* ATitle, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TChartAllowScrollEvent = std::function<void(TChartAxis* Sender, double& AMin, double& AMax, bool& AllowScroll)>;

// Library-wide settings of the chart's mouse handling.
extern double TeeZoomAnimationDivisor;  // 3.0: each animation step covers a third of the way
extern TShiftState TeeScrollKeyShift;   // keys panning requires (none)
extern bool TeeUseMouseWheel;           // the wheel scrolls the vertical axes

class TCustomChart : public TCustomAxisPanel {
 public:
  explicit TCustomChart(TComponent* AOwner);
  ~TCustomChart() override;
  const char* ClassName() const override { return "TCustomChart"; }
  void Assign(TPersistent* Source) override;

  TChartTitle* Title() { return title_.get(); }
  TChartTitle* SubTitle() { return sub_title_.get(); }
  TChartTitle* Foot() { return foot_.get(); }
  TChartTitle* SubFoot() { return sub_foot_.get(); }
  TChartLegend* Legend() { return legend_.get(); }
  TChartBackWall* BackWall() { return back_wall_.get(); }
  TChartWall* BottomWall() { return bottom_wall_.get(); }
  TChartWall* LeftWall() { return left_wall_.get(); }
  TChartRightWall* RightWall() { return right_wall_.get(); }
  TChartPen* Frame() { return back_wall_->Pen(); }
  TMouseButton ScrollMouseButton = mbRight;
  void SetBackColor(TColor Color);
  TColor GetBackColor() override;
  bool IsFreeSeriesColor(TColor Color, bool CheckBackground, TChartSeries* Series) override;
  AnsiString LegendTextOfValue(TChartSeries* Series, int Index) override;
  TChartClickedPart CalcClickedPart(int X, int Y, bool OnlySeriesWithClick = false);
  bool SeriesUseAxes() const;
  bool WallFacesViewer(bool Left);
  void DefineChartProperties(TFiler& Filer);

  TOnGetLegendText OnGetLegendText;
  TOnGetLegendRect OnGetLegendRect;
  TOnGetLegendPos OnGetLegendPos;

  // ---- tools and mouse: clicks, zoom, panning, wheel (ChartMouse.cpp) ----
  TChartTools* Tools() { return &tools_; }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  // Scrolls every vertical axis by three percent of its range (Down: toward lower values).
  void WheelScroll(bool Down);
  virtual void ZoomToRectangle();
  void ZoomToLimits(double TopMin, double TopMax, double BottomMin, double BottomMax, double LeftMin, double LeftMax,
                    double RightMin, double RightMax);
  void UndoZoom() override;
  // True while the axes hold their own settings (nothing saved by a zoom, pan or wheel scroll).
  bool RestoredAxes() const { return saved_axes_.empty(); }
  // Asks for the screen to be refreshed from the drawn chart, with the drag feedback on top.
  void RepaintOverlay();
  void PaintOverlay(TCanvas* Canvas) override;
  // The mouse left the chart: the tools hear of it (drawing event 5).
  void MouseLeft();
  void InitWidget() override;

  TChartClick OnClickBackground, OnClickLegend;
  TChartClickAxis OnClickAxis;
  TChartClickSeries OnClickSeries;
  TChartClickTitle OnClickTitle;
  TChartAllowScrollEvent OnAllowScroll;

 protected:
  void CalcWallsRect() override;
  int CalcWallSize(TChartAxis* Axis) override;
  void DrawTitlesAndLegend(bool BeforeSeries) override;
  void DrawWalls() override;

 private:
  void PrepareWall(TCustomChartWall* W);
  void DrawLeftWall();
  void DrawRightWall();
  void DrawBottomWall();
  void DrawBackWall();
  void FillWallPlane(TCustomChartWall* W, const std::vector<TPoint>& Plane, TTeeBlend*& Blend);
  std::unique_ptr<TChartTitle> title_, sub_title_, foot_, sub_foot_;
  std::unique_ptr<TChartBackWall> back_wall_;
  std::unique_ptr<TChartWall> bottom_wall_, left_wall_;
  std::unique_ptr<TChartRightWall> right_wall_;
  std::unique_ptr<TChartLegend> legend_;

  struct TSavedAxis {
    TChartAxis* Axis;
    bool Automatic, AutomaticMinimum, AutomaticMaximum;
    double Minimum, Maximum;
  };
  void SaveAxes();
  bool PanAxes(bool Horizontal, int New, int Old);
  bool DragStart(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Cursor and enter/leave events of the series under a mouse that drags nothing.
  void TrackSeriesUnderMouse(int X, int Y);
  std::vector<TSavedAxis> saved_axes_;
  TChartTools tools_{this};
  int wheel_rest_ = 0;
};

class TChart : public TCustomChart {
 public:
  using TCustomChart::TCustomChart;
  const char* ClassName() const override { return "TChart"; }
};

// ---- registries and palettes ----

struct TTeeSeriesType {
  const char* SeriesClass = nullptr;    // class name, or none
  const char* FunctionClass = nullptr;  // class name, or none
  AnsiString* Description = nullptr;
  AnsiString* GalleryPage = nullptr;
  int NumGallerySeries = 1;
};
std::vector<TTeeSeriesType>& TeeSeriesTypes();
std::vector<AnsiString>& TeeToolTypes();
void RegisterSeriesType(const char* SeriesClass, const char* FunctionClass, AnsiString* Description,
                        AnsiString* GalleryPage, int NumGallerySeries);
void RegisterChartSeries(const char* SeriesClass, AnsiString* Description, AnsiString* GalleryPage, int NumGallerySeries);
void RegisterChartFunction(const char* FunctionClass, AnsiString* Description, AnsiString* GalleryPage, int NumGallerySeries);
void UnregisterSeriesType(const char* Class, bool BySeries);
// Removes every entry that carries one of the function classes, whatever its series class.
void UnregisterChartFunctions(std::initializer_list<const char*> Functions);
void RegisterChartTools(std::initializer_list<const char*> Tools);
void UnregisterChartTools(std::initializer_list<const char*> Tools);

// Palette names (index 0 the default palette) and their colours.
const std::vector<AnsiString>& ColorPalettes();
const std::vector<TColor>& PaletteColors(int Index);
const std::vector<TColor>& RainbowPalette();
void ApplyChartPalette(TCustomAxisPanel* Chart, int Index);

// Registers the chart and series classes for form resources; later calls do nothing.
void RegisterChartClasses();
// Records the parts' current look (pens, fonts, shapes, axes) as their own defaults, so
// that a stored form holds only what differs from a new chart or series of that kind.
void MarkChartDefaults(TObject* Instance);
