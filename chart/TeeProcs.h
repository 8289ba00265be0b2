#pragma once
// Free routines of the chart component: integer geometry on points and rectangles, hit
// tests for lines and polygons, the smooth bitmap resampler, the date-time step table of
// date-time axes, the default colour palette, text fields and a quicksort on callbacks.
#include <functional>
#include <vector>
#include "platform/graphics/Colors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/rtl/DateUtils.h"

class TBitmap;
class TFiler;
class TCanvas;

// ---- geometry ----
inline TPoint MakePoint(int X, int Y) { return {X, Y}; }
inline TRect MakeRect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
// Edges included.
bool PointInRect(const TRect& R, int X, int Y);
TRect NormalizeRect(const TRect& R);
void RectSize(const TRect& R, int& Width, int& Height);
void RectCenter(const TRect& R, int& X, int& Y);
// Min and max over the points, no extra pixel; (0, 0, 0, 0) for none.
TRect PolygonBounds(const std::vector<TPoint>& Points);
// Min and max of the first Count points plus one pixel right and down.
TRect RectFromPolygon(const TPoint* Points, int Count);
bool IsNegativeOrientation(TPoint P0, TPoint P1, TPoint P2);
void SwapInteger(int& A, int& B);
void SwapDouble(double& A, double& B);
double Hypotenuse(double A, double B);
TPoint PointAtDistanceFromEnd(TPoint P0, TPoint P1, int Distance);
bool PointInLineXY(TPoint P, int X0, int Y0, int X1, int Y1, int Tolerance = 0);
bool PointInLine(TPoint P, TPoint P0, TPoint P1, int Tolerance = 0);
bool PointInPolygon(TPoint P, const std::vector<TPoint>& Points);
// Rectangles intersect (edges excluded, as for drawing).
bool RectsIntersect(const TRect& A, const TRect& B);

// ---- texts and numbers ----
AnsiString IntToText(int Value);
extern AnsiString TeeFieldsSeparator;
AnsiString ExtractField(const AnsiString& Text, int Index);
AnsiString ExtractFieldBy(const AnsiString& Text, int Index, const AnsiString& Separator);
AnsiString ReplaceChar(const AnsiString& Text, char Old, char New);
// Quicksort of the indexes Start..End with Compare(a, b) (<0, 0, >0) and Swap(a, b).
void SortByCallbacks(int Start, int End, const std::function<int(int, int)>& Compare,
                     const std::function<void(int, int)>& Swap);

// ---- date-time steps ----
enum TDateTimeStep {
  dtOneMicroSecond, dtOneMillisecond, dtOneSecond, dtFiveSeconds, dtTenSeconds, dtFifteenSeconds,
  dtThirtySeconds, dtOneMinute, dtFiveMinutes, dtTenMinutes, dtFifteenMinutes, dtThirtyMinutes, dtOneHour,
  dtTwoHours, dtSixHours, dtTwelveHours, dtOneDay, dtTwoDays, dtThreeDays, dtOneWeek, dtHalfMonth, dtOneMonth,
  dtTwoMonths, dtThreeMonths, dtFourMonths, dtSixMonths, dtOneYear, dtNone
};
// Step lengths in days, indexed by TDateTimeStep (27 entries).
extern const double DateTimeStep[27];
// The short date and short time formats used for date-time labels.
extern AnsiString TeeShortDateFormat;
extern AnsiString TeeShortTimeFormat;
AnsiString DateTimeDefaultFormat(double Step);
// The smallest step greater than Value (one year for the largest and for tiny values).
double FindDateTimeStep(double Value);
// The index of the table entry equal to Value (within a microsecond); dtNone when none.
int DateTimeStepIndex(double Value);
TDateTime TruncDateTime(int Step, TDateTime Date);
TDateTime NextDateTime(TDateTime Date, int Step, double Increment, bool Forward);

// ---- colours ----
TColor GetDefaultColor(int Index);
// Replaces the library palette; an empty list restores the 19 default colours.
void SetDefaultColorPalette(const std::vector<TColor>& Colors);
const std::vector<TColor>& DefaultColorPalette();

// ---- drawing helpers ----
// A 13 x 13 check box or radio button at (X, Y).
void DrawCheckBox(int X, int Y, TCanvas* Canvas, bool IsCheckBox, bool Checked);
// Resamples Source into Dest's size with a Lanczos-3 (Filter 0) or triangle (Filter 1)
// filter; both become 24-bit images.
void SmoothStretch(TBitmap* Source, TBitmap* Dest, int Filter = 0);

// =======================================================================================
// Chart panel and framed shapes
#include <memory>
#include "chart/TeCanvas.h"
#include "platform/ui/Controls.h"

// Enables or disables each control of the list; empty entries are passed over.
void EnableControls(bool Enable, const std::vector<TControl*>& Controls);

// Hands a form to the installed form-translation hook; without a hook (the program installs
// none) the form keeps its texts.
using TTeeTranslateHook = std::function<void(TForm* Form)>;
extern TTeeTranslateHook TeeTranslateHook;
void TranslateForm(TForm* Form);

enum TTeeUnits { muPercent, muPixels };
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };
enum TTeeZoomDirection { tzdHorizontal, tzdVertical, tzdBoth };
enum TTeeBackImageMode { pbmStretch, pbmTile, pbmCenter, pbmCustom };
#include "platform/stdctrls/ExtCtrls.h"

class TCustomTeePanel;

class TZoomPanning : public TPersistent {
 public:
  const char* ClassName() const override { return "TZoomPanning"; }
  bool Active = false;
  int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  void Activate(int X, int Y) {
    X0 = X1 = X;
    Y0 = Y1 = Y;
    Active = true;
  }
  void Check() {
    if (X0 > X1) std::swap(X0, X1);
    if (Y0 > Y1) std::swap(Y0, Y1);
  }
};

class TTeeZoomPen : public TChartPen {
 public:
  explicit TTeeZoomPen(TNotifyEvent OnChange = {}) {
    SetColor(clWhite);
    this->OnChange = std::move(OnChange);
  }
  const char* ClassName() const override { return "TTeeZoomPen"; }
};

class TTeeZoomBrush : public TChartBrush {
 public:
  explicit TTeeZoomBrush(TNotifyEvent OnChange = {}) {
    SetColor(clWhite);
    SetStyle(bsClear);
    this->OnChange = std::move(OnChange);
  }
  const char* ClassName() const override { return "TTeeZoomBrush"; }
};

class TTeeZoom : public TZoomPanning {
 public:
  const char* ClassName() const override { return "TTeeZoom"; }
  void Assign(TPersistent* Source) override;
  bool Allow = true, Animated = false;
  int AnimatedSteps = 8;
  TTeeZoomDirection Direction = tzdBoth;
  // Keys that must be held for a drag to zoom.
  TShiftState KeyShift;
  int MinimumPixels = 16;
  TMouseButton MouseButton = mbLeft;
  bool UpLeftZooms = false;
  // Created on first read; nil frees them.
  TTeeZoomBrush* Brush();
  TTeeZoomPen* Pen();
  bool HasBrush() const { return brush_ != nullptr; }
  const TTeeZoomBrush* BrushIfAny() const { return brush_.get(); }
  const TTeeZoomPen* PenIfAny() const { return pen_.get(); }
  void SetBrush(TTeeZoomBrush* b);
  void SetPen(TTeeZoomPen* p);

 private:
  std::unique_ptr<TTeeZoomBrush> brush_;
  std::unique_ptr<TTeeZoomPen> pen_;
};

class TBackImage : public TPicture {
 public:
  const char* ClassName() const override { return "TBackImage"; }
  bool Inside() const { return inside_; }
  void SetInside(bool v);
  int Left() const { return left_; }
  void SetLeft(int v);
  int Top() const { return top_; }
  void SetTop(int v);
  TTeeBackImageMode Mode() const { return mode_; }
  void SetMode(TTeeBackImageMode v);

 private:
  void Fire() {
    if (OnChange) OnChange(this);
  }
  bool inside_ = false;
  int left_ = 0, top_ = 0;
  TTeeBackImageMode mode_ = pbmStretch;
};

// Events handed to the panel's listeners (the chart tools).
struct TTeeEvent {
  virtual ~TTeeEvent() = default;
  TCustomTeePanel* Sender = nullptr;
};
enum TTeeMouseEventKind { meDown, meUp, meMove };
struct TTeeMouseEvent : TTeeEvent {
  TTeeMouseEventKind Event = meDown;
  TMouseButton Button = mbLeft;
  TShiftState Shift;
  int X = 0, Y = 0;
};
struct TTeeView3DEvent : TTeeEvent {};
class ITeeEventListener {
 public:
  virtual ~ITeeEventListener() = default;
  virtual void HandleEvent(TTeeEvent& Event) = 0;
};

// Print and erase switches of the whole process.
extern bool TeeClipWhenPrinting, TeeClipWhenMetafiling, TeeEraseBack;

class TCustomTeePanel : public TCustomControl {
 public:
  explicit TCustomTeePanel(TComponent* AOwner);
  ~TCustomTeePanel() override;
  const char* ClassName() const override { return "TCustomTeePanel"; }

  // Only the drawing rectangle of the current paint and what lies inside it.
  TRect ChartBounds;
  TRect ChartRect;
  int ChartWidth = 0, ChartHeight = 0, ChartXCenter = 0, ChartYCenter = 0;
  int Width3D = 0, Height3D = 0;
  bool Printing = false;
  bool CancelMouse = false;
  bool PerSeriesDepth = true;  // each series its own depth slot in 3-D

  TTeeCanvas3D* ChartCanvas() const { return canvas_.get(); }
  TView3DOptions* View3DOptions() { return &view3d_options_; }
  TChartHiddenPen* Border() { return &border_; }
  TTeeShadow* Shadow() { return &shadow_; }
  TZoomPanning* Panning() { return &panning_; }

  bool AutoRepaint() const { return auto_repaint_; }
  void SetAutoRepaint(bool v) { auto_repaint_ = v; }
  int BorderRound() const { return border_round_; }
  void SetBorderRound(int v);
  int MarginLeft() const { return margins_.Left; }
  void SetMarginLeft(int v) { SetIntegerProperty(margins_.Left, v); }
  int MarginTop() const { return margins_.Top; }
  void SetMarginTop(int v) { SetIntegerProperty(margins_.Top, v); }
  int MarginRight() const { return margins_.Right; }
  void SetMarginRight(int v) { SetIntegerProperty(margins_.Right, v); }
  int MarginBottom() const { return margins_.Bottom; }
  void SetMarginBottom(int v) { SetIntegerProperty(margins_.Bottom, v); }
  TTeeUnits MarginUnits() const { return margin_units_; }
  void SetMarginUnits(TTeeUnits v);
  TRect PrintMargins() const { return print_margins_; }
  void SetPrintMargins(const TRect& r) { print_margins_ = r; }
  bool PrintProportional() const { return print_proportional_; }
  void SetPrintProportional(bool v) { SetBooleanProperty(print_proportional_, v); }
  bool View3D() const { return view3d_; }
  void SetView3D(bool v);
  bool Monochrome() const { return canvas_->GetMonochrome(); }
  void SetMonochrome(bool v) { canvas_->SetMonochrome(v); }
  bool BufferedDisplay() const { return canvas_->GetBufferedDisplay(); }
  void SetBufferedDisplay(bool v) { canvas_->SetBufferedDisplay(v); }
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int v) { SetIntegerProperty(bevel_width_, v); }
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int v) { SetIntegerProperty(border_width_, v); }
  TPanelBevel BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TPanelBevel v);
  TPanelBevel BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TPanelBevel v);

  // Marks the back buffer invalid and asks for a repaint (nothing while AutoRepaint is off).
  void Invalidate();
  // Keeps ChartRect inside the bounds and never inverted, then recomputes its size and centre.
  void TidyChartRect() { RecalcWidthHeight(); }
  // Set-and-repaint helpers: store a changed value, then Invalidate.
  void SetIntegerProperty(int& Field, int Value);
  void SetBooleanProperty(bool& Field, bool Value);
  void SetDoubleProperty(double& Field, double Value);
  void SetStringProperty(AnsiString& Field, const AnsiString& Value);

  void Paint() override;
  // Drawn over the chart on the screen after each paint (drag feedback); nothing here.
  virtual void PaintOverlay(TCanvas* Canvas) { (void)Canvas; }
  virtual void Draw(TCanvas* UserCanvas, const TRect& UserRect);
  virtual TColor GetBackColor() { return Color(); }
  virtual TRect GetRectangle();
  bool CanClip() const;
  // Renders the chart into Bitmap, sized to the panel.
  void AssignTo(TBitmap* Bitmap);
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler& Filer);

  // The cursor the control had before the mouse handling changed it.
  TCursor OriginalCursor() const { return original_cursor_; }
  std::vector<ITeeEventListener*>& Listeners() { return listeners_; }
  void BroadcastEvent(TTeeEvent& Event);

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Loaded() override;
  // A new size or colour needs the chart drawn again, not the old buffer copied.
  void Resize() override;
  void ColorChanged() override;

 protected:
  virtual void InternalDraw(const TRect& UserRect) { (void)UserRect; }
  // Recomputes ChartWidth, ChartHeight and the centre from ChartRect (sanitised).
  void RecalcWidthHeight();
  void DrawBorderAndBevels(TRect& Rect);
  void ApplyRegion();

  std::unique_ptr<TTeeCanvas3D> canvas_;
  TView3DOptions view3d_options_;
  TChartHiddenPen border_;
  TTeeShadow shadow_;
  TZoomPanning panning_;
  bool destroying_ = false;

 private:
  bool auto_repaint_ = true;
  int border_round_ = 0;
  TRect margins_{3, 4, 3, 4};
  TTeeUnits margin_units_ = muPercent;
  TRect print_margins_{15, 15, 15, 15};
  bool print_proportional_ = true, view3d_ = true;
  int bevel_width_ = 1, border_width_ = 0;
  TPanelBevel bevel_inner_ = bvNone, bevel_outer_ = bvRaised;
  std::vector<ITeeEventListener*> listeners_;
  bool setting_region_ = false;
  TCursor original_cursor_ = crDefault;
};

class TCustomTeePanelExtended : public TCustomTeePanel {
 public:
  explicit TCustomTeePanelExtended(TComponent* AOwner);
  ~TCustomTeePanelExtended() override;
  const char* ClassName() const override { return "TCustomTeePanelExtended"; }

  TPanningMode AllowPanning() const { return allow_panning_; }
  void SetAllowPanning(TPanningMode v) { allow_panning_ = v; }
  // Created on first read; nil frees it.
  TTeeGradient* Gradient();
  void SetGradient(TTeeGradient* g);
  bool HasGradient() const { return gradient_ != nullptr; }
  const TTeeGradient* GradientIfAny() const { return gradient_.get(); }
  TBackImage* BackImage();
  const TBackImage* BackImageIfAny() const { return back_image_.get(); }
  void SetBackImage(TBackImage* b);
  bool HasBackImage() const { return back_image_ && back_image_->Graphic() && !back_image_->Graphic()->Empty(); }
  // The back image's graphic is drawn with its transparent colour left out (False, and
  // nothing to set, without a graphic).
  bool BackImageTransp() const { return back_image_ && back_image_->Graphic() && back_image_->Graphic()->Transparent(); }
  void SetBackImageTransp(bool v);
  TTeeZoom* Zoom() { return &zoom_; }
  bool Zoomed = false;
  virtual void UndoZoom();
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnAfterDraw, OnScroll, OnUndoZoom, OnZoom;

  virtual void FillPanelBackground(const TRect& Rect);
  virtual void PaintBackground(const TRect& Rect);
  void DrawBackImage(const TRect& Rect, int Z);
  // The zoom rubber band, drawn over the finished chart on Canvas.
  void DrawZoomRectangle(TCanvas* Canvas);

 private:
  TPanningMode allow_panning_ = pmBoth;
  std::unique_ptr<TTeeGradient> gradient_;
  std::unique_ptr<TBackImage> back_image_;
  TTeeZoom zoom_;
};

// ---- framed shapes ----

enum TChartObjectShapeStyle { fosRectangle, fosRoundRectangle };

class TTeeCustomShapeBrushPen : public TPersistent, public TOwnDefaults {
 public:
  explicit TTeeCustomShapeBrushPen(TCustomTeePanel* AOwner);
  ~TTeeCustomShapeBrushPen() override;
  const char* ClassName() const override { return "TTeeCustomShapeBrushPen"; }
  void Assign(TPersistent* Source) override;

  TChartBrush* Brush() { return brush_.get(); }
  TChartPen* Pen() { return pen_.get(); }
  TChartPen* Frame() { return pen_.get(); }
  TCustomTeePanel* ParentChart() const { return parent_; }
  virtual void SetParentChart(TCustomTeePanel* p) { parent_ = p; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual void Repaint();

 protected:
  TCustomTeePanel* parent_ = nullptr;
  std::unique_ptr<TChartBrush> brush_;
  std::unique_ptr<TChartPen> pen_;
  bool visible_ = true;
};

class TTeeCustomShape : public TTeeCustomShapeBrushPen {
 public:
  explicit TTeeCustomShape(TCustomTeePanel* AOwner);
  ~TTeeCustomShape() override;
  const char* ClassName() const override { return "TTeeCustomShape"; }
  void Assign(TPersistent* Source) override;

  TPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TPanelBevel v) { Set(bevel_, v); }
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int v) { Set(bevel_width_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Set(color_, v); }
  TTeeFont* Font() { return font_.get(); }
  // Created on first read (black, size 3 for these boxes).
  TTeeShadow* Shadow();
  bool HasShadow() const { return shadow_ != nullptr; }
  const TTeeShadow* ShadowIfAny() const { return shadow_.get(); }
  const TTeeGradient* GradientIfAny() const { return gradient_.get(); }
  TChartObjectShapeStyle ShapeStyle() const { return shape_style_; }
  void SetShapeStyle(TChartObjectShapeStyle v) { Set(shape_style_, v); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TTeeGradient* Gradient();
  bool HasGradient() const { return gradient_ && gradient_->Visible(); }
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v) { Set(transparency_, std::clamp(v, 0, 100)); }
  TRect ShapeBounds;
  int Width() const { return ShapeBounds.Right - ShapeBounds.Left; }
  void SetWidth(int v) { ShapeBounds.Right = ShapeBounds.Left + v; }
  int Height() const { return ShapeBounds.Bottom - ShapeBounds.Top; }
  void SetHeight(int v) { ShapeBounds.Bottom = ShapeBounds.Top + v; }

  void Draw() { DrawRectRotated(ShapeBounds, 0, 0); }
  // Old forms' "ShadowColor" and "ShadowSize".
  void DefineProperties(TFiler& Filer);
  void DrawRectRotated(const TRect& Rect, int Angle = 0, int Z = 0);
  // The four corners turned by Angle degrees about the rectangle's centre.
  static void RectToFourPoints(const TRect& Rect, double Angle, TPoint P[4]);
  TTeeCanvas3D* Canvas() const;

 protected:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    Repaint();
  }
  // The gradient made on first read (the legend's has its own colours and direction).
  virtual std::unique_ptr<TTeeGradient> NewGradient();
  bool default_transparent_ = false;
  TPanelBevel bevel_ = bvNone;
  int bevel_width_ = 2;
  TColor color_ = clWhite;
  std::unique_ptr<TTeeFont> font_;
  std::unique_ptr<TTeeShadow> shadow_;
  TChartObjectShapeStyle shape_style_ = fosRectangle;
  bool transparent_ = false;
  std::unique_ptr<TTeeGradient> gradient_;
  int transparency_ = 0;
  TColor shadow_default_color_ = clBlack;
  int shadow_default_size_ = 3;
};

class TTeeShape : public TTeeCustomShape {
 public:
  using TTeeCustomShape::TTeeCustomShape;
  const char* ClassName() const override { return "TTeeShape"; }
};

// Draws the panel-style bevel over Rect (highlight and shadow colours, Width rings).
void TeeDrawBevel(TTeeCanvas* Canvas, TPanelBevel Bevel, TRect& Rect, int Width, int Round = 0);
