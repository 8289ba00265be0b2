#pragma once
// The chart's interactive tools beyond rotating: the cross-hair cursor, the nearest-point
// highlight, colour lines and bands on an axis, lines drawn with the mouse, axis arrows and
// axis dragging, annotation and rectangle boxes, series animation and clipping, dragging a
// point, and the band between two series. Feedback drawn while the mouse moves (the cursor
// lines, a dragged colour line, the rubber line) is painted over the drawn chart on screen,
// so the chart itself is not drawn again for every mouse step.
#include <functional>
#include <memory>
#include <vector>
#include "chart/Chart.h"
#include "chart/TeeTools.h"

class TCustomChart;

// ---------------------------------------------------------------------------------------
// Cursor

enum TCursorToolStyle { cssHorizontal, cssVertical, cssBoth };
class TCursorTool;
using TCursorToolChangeEvent =
    std::function<void(TCursorTool* Sender, int X, int Y, double XValue, double YValue, TChartSeries* Series, int ValueIndex)>;

class TCursorTool : public TTeeCustomToolSeries {
 public:
  explicit TCursorTool(TComponent* AOwner);
  const char* ClassName() const override { return "TCursorTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TCursorToolEditor"; }

  bool FollowMouse = false;
  bool Snap = false;
  TCursorToolChangeEvent OnChange, OnSnapChange;
  std::function<void(TCursorTool* Sender, TRect& Rect)> OnGetAxisRect;
  bool UseChartRect = false;
  double XValue = 0, YValue = 0;
  int IXPos = -1, IYPos = -1;

  bool GetFollowMouse() const { return FollowMouse; }
  void SetFollowMouse(bool v) { FollowMouse = v; }
  bool GetSnap() const { return Snap; }
  void SetSnap(bool v) { Snap = v; }
  TCursorToolStyle Style() const { return style_; }
  void SetStyle(TCursorToolStyle v);
  bool UseSeriesZ() const { return use_series_z_; }
  void SetUseSeriesZ(bool v);
  void SetSeries(TChartSeries* S) override;
  int DragMode() const { return drag_mode_; }
  int LastIndex() const { return last_index_; }

  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DrawOverlay(TCanvas* Canvas) override;
  // 0 none, 1 the horizontal line, 2 the vertical line, 3 their crossing.
  int HitTest(int X, int Y);
  // The point of Series nearest to the cursor's values (by Style), -1 none.
  int NearestPoint() const;

 protected:
  virtual void DoChange(int ValueIndex);

 private:
  TRect AreaRect();
  bool InArea(int X, int Y);
  void CalcValues(int X, int Y);
  int SnapToPoint();
  void CalcScreenPositions();
  int Depth() const;
  TCursorToolStyle style_ = cssBoth;
  bool use_series_z_ = false;
  int drag_mode_ = 0, last_index_ = -1;
  TRect area_{};
};

// ---------------------------------------------------------------------------------------
// Nearest point

enum TNearestToolStyle { hsNone, hsCircle, hsRectangle, hsDiamond };

class TNearestTool : public TTeeCustomToolSeries {
 public:
  explicit TNearestTool(TComponent* AOwner);
  const char* ClassName() const override { return "TNearestTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TNearestToolEdit"; }

  bool FullRepaint = true;
  TNotifyEvent OnChange;
  int MouseX = 0, MouseY = 0, Point = -1;

  bool DrawLine() const { return line_pen_->Visible(); }
  void SetDrawLine(bool v) { line_pen_->SetVisible(v); }
  bool GetFullRepaint() const { return FullRepaint; }
  void SetFullRepaint(bool v) { FullRepaint = v; }
  TChartPen* LinePen() { return line_pen_.get(); }
  int Size() const { return size_; }
  void SetSize(int v) { SetIntegerProperty(size_, v); }
  TNearestToolStyle Style() const { return style_; }
  void SetStyle(TNearestToolStyle v);

  // The visible point of Series nearest to pixel (X, Y) inside the chart rectangle; ties
  // keep the lower index, points 10000 pixels or more away are never found.
  static int GetNearestPoint(TChartSeries* Series, int X, int Y, bool IncludeNulls = false);

  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DrawOverlay(TCanvas* Canvas) override;

 private:
  void DrawHighlight(TCanvas3D* Canvas);
  std::unique_ptr<TChartPen> line_pen_;
  int size_ = 20;
  TNearestToolStyle style_ = hsCircle;
};

// ---------------------------------------------------------------------------------------
// Colour line and colour band

enum TColorLineStyle { clCustom, clMaximum, clCenter, clMinimum };
class TColorLineTool;
using TColorLineToolOnDrag = std::function<void(TColorLineTool* Sender)>;

class TColorLineTool : public TTeeCustomToolAxis {
 public:
  explicit TColorLineTool(TComponent* AOwner);
  const char* ClassName() const override { return "TColorLineTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TColorLineToolEditor"; }
  void Assign(TPersistent* Source) override;

  bool AllowDrag = true, DragRepaint = false, NoLimitDrag = false;
  TColorLineToolOnDrag OnBeginDragLine, OnDragLine, OnEndDragLine, OnEndDragInternal;
  TCustomAxisPanel* OwnerChart = nullptr;

  bool GetAllowDrag() const { return AllowDrag; }
  void SetAllowDrag(bool v) { AllowDrag = v; }
  bool GetDragRepaint() const { return DragRepaint; }
  void SetDragRepaint(bool v) { DragRepaint = v; }
  bool GetNoLimitDrag() const { return NoLimitDrag; }
  void SetNoLimitDrag(bool v) { NoLimitDrag = v; }
  bool Draw3D() const { return draw3d_; }
  void SetDraw3D(bool v) { SetBooleanProperty(draw3d_, v); }
  bool DrawBehind() const { return draw_behind_; }
  void SetDrawBehind(bool v) { SetBooleanProperty(draw_behind_, v); }
  TColorLineStyle Style() const { return style_; }
  void SetStyle(TColorLineStyle v);
  double Value() const { return value_; }
  void SetValue(double v);
  bool Dragging() const { return dragging_; }

  // Where the line sits now, in axis values (by Style); limited to the visible range
  // unless NoLimitDrag or dragging is off.
  double LineValue() const;
  double LimitValue(double V) const;
  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DrawOverlay(TCanvas* Canvas) override;
  bool Clicked(int X, int Y);
  // Draws the back (Back true) or front part of the line on the chart's canvas.
  void DrawColorLine(bool Back);
  TCustomAxisPanel* Chart() const { return parent_ ? parent_ : OwnerChart; }
  void Repaint() override;

 private:
  bool draw3d_ = true, draw_behind_ = false, dragging_ = false;
  TColorLineStyle style_ = clCustom;
  double value_ = 0;
};

class TColorBandTool : public TTeeCustomToolAxis {
 public:
  explicit TColorBandTool(TComponent* AOwner);
  ~TColorBandTool() override;
  const char* ClassName() const override { return "TColorBandTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TColorBandToolEditor"; }
  void Loaded() override;

  TColor Color() const { return color_; }
  void SetColor(TColor v) { SetColorProperty(color_, v); }
  TCursor Cursor = crDefault;
  TCursor GetCursor() const { return Cursor; }
  void SetCursor(TCursor v) { Cursor = v; }
  bool DrawBehind() const { return draw_behind_; }
  void SetDrawBehind(bool v) { SetBooleanProperty(draw_behind_, v); }
  bool DrawBehindAxes() const { return draw_behind_axes_; }
  void SetDrawBehindAxes(bool v) { SetBooleanProperty(draw_behind_axes_, v); }
  TChartPen* StartLinePen() { return start_line_->Pen(); }
  TChartPen* EndLinePen() { return end_line_->Pen(); }
  double StartValue() const { return start_value_; }
  void SetStartValue(double v);
  double EndValue() const { return end_value_; }
  void SetEndValue(double v);
  TTeeGradient* Gradient() { return &gradient_; }
  bool ResizeStart() const { return start_line_->Active(); }
  void SetResizeStart(bool v);
  bool ResizeEnd() const { return end_line_->Active(); }
  void SetResizeEnd(bool v);
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v) { SetIntegerProperty(transparency_, std::clamp(v, 0, 100)); }
  TMouseEvent OnClick;
  TColorLineTool* StartLine() { return start_line_.get(); }
  TColorLineTool* EndLine() { return end_line_.get(); }

  void SetAxis(TChartAxis* A) override;
  void SetParentChart(TCustomAxisPanel* p) override;
  TRect BoundsRect();
  bool Clicked(int X, int Y);
  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DrawOverlay(TCanvas* Canvas) override;

 private:
  void SetLines();
  void DrawBand();
  int Z() const;
  TColor color_ = clWhite;
  bool draw_behind_ = true, draw_behind_axes_ = false;
  double start_value_ = 0, end_value_ = 0;
  TTeeGradient gradient_;
  int transparency_ = 0;
  std::unique_ptr<TColorLineTool> start_line_, end_line_;
};

// ---------------------------------------------------------------------------------------
// Draw line

enum TDrawLineStyle { dlLine, dlHorizParallel, dlVertParallel };
struct TFloatPoint {
  double X = 0, Y = 0;
  bool operator==(const TFloatPoint&) const = default;
};
class TDrawLineTool;

class TDrawLine : public TPersistent {
 public:
  explicit TDrawLine(TDrawLineTool* Owner) : owner_(Owner) {}
  ~TDrawLine() override;
  const char* ClassName() const override { return "TDrawLine"; }
  void Assign(TPersistent* Source) override;
  TDrawLineStyle Style() const { return style_; }
  void SetStyle(TDrawLineStyle v);
  TFloatPoint StartPos, EndPos;
  double X0() const { return StartPos.X; }
  void SetX0(double v) { SetCoord(StartPos.X, v); }
  double Y0() const { return StartPos.Y; }
  void SetY0(double v) { SetCoord(StartPos.Y, v); }
  double X1() const { return EndPos.X; }
  void SetX1(double v) { SetCoord(EndPos.X, v); }
  double Y1() const { return EndPos.Y; }
  void SetY1(double v) { SetCoord(EndPos.Y, v); }

 private:
  void SetCoord(double& Field, double V);
  TDrawLineTool* owner_;
  TDrawLineStyle style_ = dlLine;
};

// The lines of a draw-line tool, owned by it and stored with the form as a collection.
class TDrawLines {
 public:
  explicit TDrawLines(TDrawLineTool* Owner) : owner_(Owner) {}
  TDrawLines(const TDrawLines&) = delete;
  TDrawLines& operator=(const TDrawLines&) = delete;
  TDrawLineTool* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TDrawLine* Items(int Index) const { return items_.at(static_cast<size_t>(Index)).get(); }
  TDrawLine* operator[](int Index) const { return Items(Index); }
  // A new line from (0, 0) to (0, 0) at the end (a form reading the lines fills it in).
  TDrawLine* Add();
  void Delete(int Index);
  void Clear();
  void Assign(const TDrawLines& Source);
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  bool empty() const { return items_.empty(); }

 private:
  TDrawLineTool* owner_;
  std::vector<std::unique_ptr<TDrawLine>> items_;
};

// A line is about to be selected; clearing AllowSelect refuses it.
using TDrawLineSelecting = std::function<void(TDrawLineTool* Sender, TDrawLine* Line, bool& AllowSelect)>;

class TDrawLineTool : public TTeeCustomToolSeries {
 public:
  explicit TDrawLineTool(TComponent* AOwner);
  ~TDrawLineTool() override;
  const char* ClassName() const override { return "TDrawLineTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TDrawLineEdit"; }

  TMouseButton Button = mbLeft;
  bool EnableDraw = true;
  TNotifyEvent OnDraggedLine, OnDragLine, OnNewLine, OnSelect;
  TDrawLineSelecting OnSelecting;

  TMouseButton GetButton() const { return Button; }
  void SetButton(TMouseButton v) { Button = v; }
  bool GetEnableDraw() const { return EnableDraw; }
  void SetEnableDraw(bool v) { EnableDraw = v; }
  bool EnableSelect() const { return enable_select_; }
  void SetEnableSelect(bool v);
  TDrawLines* Lines() { return &lines_; }
  void SetLines(TDrawLines* Value);
  int LineCount() const { return lines_.Count(); }
  TDrawLine* Line(int Index) const { return lines_.Items(Index); }
  TDrawLine* AddLine(TFloatPoint From, TFloatPoint To, TDrawLineStyle Style = dlLine);
  void DeleteLine(int Index);
  void ClearLines();
  TDrawLine* Selected() const { return selected_; }
  bool Drawing() const { return drawing_; }
  int DragPart() const { return drag_part_; }
  void ForgetLine(TDrawLine* Line);

  TPoint AxisPoint(TFloatPoint P) const;
  TFloatPoint ScreenToValue(TPoint P) const;
  // The line under the mouse for Part (0 the line itself, 1 its start handle, 2 its end handle).
  TDrawLine* LineAt(int X, int Y, int Part);
  TDrawLine* Clicked(int X, int Y);

  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DrawOverlay(TCanvas* Canvas) override;

 protected:
  virtual void ClipDrawingRegion();

 private:
  bool HitLine(TDrawLine* L, int X, int Y, int Part);
  TRect ClipRect();
  TDrawLine* selected_ = nullptr;  // before the lines: a line let go clears it
  TDrawLines lines_{this};
  bool enable_select_ = true, drawing_ = false, rubber_ = false;
  int old_x_ = 0, old_y_ = 0, drag_part_ = 0;
  TPoint from_{}, to_{};
};

// ---------------------------------------------------------------------------------------
// Axis arrows and axis scrolling

enum TAxisArrowToolPosition { aaStart, aaEnd, aaBoth };
class TAxisArrowTool;
// An arrow was clicked: the one at the axis' start, or the one at its end.
using TAxisArrowClickEvent = std::function<void(TAxisArrowTool* Sender, bool AtStart)>;

class TAxisArrowTool : public TTeeCustomToolAxis {
 public:
  explicit TAxisArrowTool(TComponent* AOwner);
  const char* ClassName() const override { return "TAxisArrowTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TAxisArrowToolEditor"; }

  bool ScrollInverted = false;
  int ScrollPercent = 10;
  TAxisArrowClickEvent OnClick;
  bool GetScrollInverted() const { return ScrollInverted; }
  void SetScrollInverted(bool v) { ScrollInverted = v; }
  int GetScrollPercent() const { return ScrollPercent; }
  void SetScrollPercent(int v) { ScrollPercent = v; }
  int Length() const { return length_; }
  void SetLength(int v) { SetIntegerProperty(length_, v); }
  TAxisArrowToolPosition Position() const { return position_; }
  void SetPosition(TAxisArrowToolPosition v);

  // 0 the start arrow, 1 the end arrow, -1 none.
  int ClickedArrow(int X, int Y) const;
  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Scrolls the axis (and the axis sharing its series on the other side) by Delta values.
  static void ScrollAxis(TCustomAxisPanel* Chart, TChartAxis* Axis, double Delta);

 private:
  int length_ = 16;
  TAxisArrowToolPosition position_ = aaBoth;
};

class TAxisScrollTool : public TTeeCustomToolAxis {
 public:
  using TTeeCustomToolAxis::TTeeCustomToolAxis;
  const char* ClassName() const override { return "TAxisScrollTool"; }
  AnsiString Description() const override;
  bool ScrollInverted = false;
  bool GetScrollInverted() const { return ScrollInverted; }
  void SetScrollInverted(bool v) { ScrollInverted = v; }
  TChartAxis* InAxis() const { return in_axis_; }
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TChartAxis* AxisAt(int X, int Y);
  int old_x_ = 0, old_y_ = 0;
  TChartAxis* in_axis_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// Annotation and rectangle

enum TAnnotationPosition { ppLeftTop, ppLeftBottom, ppRightTop, ppRightBottom };
class TAnnotationTool;
// A mouse button went down inside an annotation's box.
using TAnnotationClick = std::function<void(TAnnotationTool* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

// The target of an annotation's arrow, in pixels.
class TAnnotationCallout : public TPersistent {
 public:
  explicit TAnnotationCallout(TNotifyEvent OnChange);
  const char* ClassName() const override { return "TAnnotationCallout"; }
  void Assign(TPersistent* Source) override;
  TChartPen* Arrow() { return &arrow_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Set(visible_, v); }
  int Distance() const { return distance_; }
  void SetDistance(int v) { Set(distance_, v); }
  int XPosition() const { return x_; }
  void SetXPosition(int v) { Set(x_, v); }
  int YPosition() const { return y_; }
  void SetYPosition(int v) { Set(y_, v); }
  int ZPosition() const { return z_; }
  void SetZPosition(int v) { Set(z_, v); }

 private:
  template <class T>
  void Set(T& f, T v) {
    if (f == v) return;
    f = v;
    if (on_change_) on_change_(this);
  }
  TNotifyEvent on_change_;
  TChartPen arrow_;
  bool visible_ = false;
  int distance_ = 0, x_ = 0, y_ = 0, z_ = 0;
};

class TAnnotationShape : public TTeeCustomShapePosition {
 public:
  explicit TAnnotationShape(TCustomTeePanel* AOwner) : TTeeCustomShapePosition(AOwner) {}
  const char* ClassName() const override { return "TTeeShapePosition"; }
};

class TAnnotationTool : public TTeeCustomTool {
 public:
  explicit TAnnotationTool(TComponent* AOwner);
  ~TAnnotationTool() override;
  const char* ClassName() const override { return "TAnnotationTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TAnnotationToolEdit"; }
  void SetParentChart(TCustomAxisPanel* p) override;

  virtual AnsiString GetText() const { return text_; }
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v) { SetStringProperty(text_, v); }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v) { SetBooleanProperty(auto_size_, v); }
  TAnnotationCallout* Callout() { return &callout_; }
  TCursor Cursor = crDefault;
  TCursor GetCursor() const { return Cursor; }
  void SetCursor(TCursor v) { Cursor = v; }
  TAnnotationPosition Position() const { return position_; }
  void SetPosition(TAnnotationPosition v);
  TTeeUnits PositionUnits() const { return position_units_; }
  void SetPositionUnits(TTeeUnits v);
  TAnnotationShape* Shape() { return shape_.get(); }
  TAlignment TextAlignment() const { return text_alignment_; }
  void SetTextAlignment(TAlignment v);
  int Width() const { return shape_->Width(); }
  void SetWidth(int v);
  int Height() const { return shape_->Height(); }
  void SetHeight(int v);
  TAnnotationClick OnClick;

  // The box around the text on the chart (also the hit-test area), and the text origin.
  TRect Bounds(TPoint* TextOrigin = nullptr, int* LineHeight = nullptr);
  bool Clicked(int X, int Y) { const TRect r = Bounds(); return X >= r.Left && X <= r.Right && Y >= r.Top && Y <= r.Bottom; }
  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;

 protected:
  std::unique_ptr<TAnnotationShape> shape_;

 private:
  void DrawCallout(const TRect& Box);
  AnsiString text_;
  bool auto_size_ = true;
  TAnnotationCallout callout_;
  TAnnotationPosition position_ = ppLeftTop;
  TTeeUnits position_units_ = muPixels;
  TAlignment text_alignment_ = taLeftJustify;
};

class TRectangleTool : public TAnnotationTool {
 public:
  explicit TRectangleTool(TComponent* AOwner);
  const char* ClassName() const override { return "TRectangleTool"; }
  AnsiString Description() const override;
  TNotifyEvent OnDragging, OnResizing;
  int OffsetX = 0, OffsetY = 0;
  bool DraggingBox = false;
  int ResizeEdge = -1;
  // 0 left, 1 top, 2 right, 3 bottom, -1 none.
  int EdgeAt(int X, int Y);
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// ---------------------------------------------------------------------------------------
// Series animation and clipping

enum TSeriesAnimationLoop { salNo, salOneWay, salCircular };
class TSeriesAnimationTool;
// An animation step was drawn.
using TSeriesAnimationStep = std::function<void(TSeriesAnimationTool* Sender, int Step)>;

class TSeriesAnimationTool : public TTeeCustomToolSeries {
 public:
  explicit TSeriesAnimationTool(TComponent* AOwner);
  ~TSeriesAnimationTool() override;
  const char* ClassName() const override { return "TSeriesAnimationTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TSeriesAnimToolEditor"; }

  int DrawEvery = 0;
  TSeriesAnimationLoop Loop = salNo;
  bool StartAtMin = true;
  double StartValue = 0;
  TSeriesAnimationStep OnStep;
  int GetDrawEvery() const { return DrawEvery; }
  void SetDrawEvery(int v) { DrawEvery = std::max(0, v); }
  TSeriesAnimationLoop GetLoop() const { return Loop; }
  void SetLoop(TSeriesAnimationLoop v) { Loop = v; }
  bool GetStartAtMin() const { return StartAtMin; }
  void SetStartAtMin(bool v) { StartAtMin = v; }
  double GetStartValue() const { return StartValue; }
  void SetStartValue(double v) { StartValue = v; }
  int Steps() const { return steps_; }
  void SetSteps(int v) { steps_ = std::max(1, v); }
  bool Running() const { return !stopped_; }

  virtual void Execute();
  void Stop() { stopped_ = true; }

 private:
  void Animate(bool Forward);
  void RestoreValues();
  void Frame();
  int steps_ = 100;
  bool stopped_ = true;
  std::vector<double> backup_;
};

class TClipSeriesTool : public TTeeCustomToolSeries {
 public:
  using TTeeCustomToolSeries::TTeeCustomToolSeries;
  ~TClipSeriesTool() override;
  const char* ClassName() const override { return "TClipSeriesTool"; }
  AnsiString Description() const override;
  void SetSeries(TChartSeries* S) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool Clipped() const { return clipped_; }

 private:
  void Release(TChartSeries* S);
  bool clipped_ = false;
};

// ---------------------------------------------------------------------------------------
// Drag point and series band

enum TDragPointStyle { dsX, dsY, dsBoth };
class TDragPointTool;
// The point of that index was dragged.
using TDragPointToolEvent = std::function<void(TDragPointTool* Sender, int Index)>;

class TDragPointTool : public TTeeCustomToolSeries {
 public:
  using TTeeCustomToolSeries::TTeeCustomToolSeries;
  const char* ClassName() const override { return "TDragPointTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TDragPointToolEdit"; }
  TDragPointStyle DragStyle = dsBoth;
  TDragPointStyle GetDragStyle() const { return DragStyle; }
  void SetDragStyle(TDragPointStyle v) { DragStyle = v; }
  TDragPointToolEvent OnDragPoint;
  int Point = -1;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// Hears from its chart when one of its series leaves it (a listener of the chart's events).
class TSeriesBandTool : public TTeeCustomToolSeries, public ITeeEventListener {
 public:
  explicit TSeriesBandTool(TComponent* AOwner);
  ~TSeriesBandTool() override;
  const char* ClassName() const override { return "TSeriesBandTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TSeriesBandToolEdit"; }

  bool DrawBehindSeries() const { return draw_behind_; }
  void SetDrawBehindSeries(bool v) { SetBooleanProperty(draw_behind_, v); }
  TTeeGradient* Gradient() { return &gradient_; }
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v) { SetIntegerProperty(transparency_, std::clamp(v, 0, 100)); }
  TChartSeries* Series2() const { return series2_; }
  virtual void SetSeries2(TChartSeries* S);
  void SetSeries(TChartSeries* S) override;
  void SetParentChart(TCustomAxisPanel* p) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ChartEvent(int Code) override;
  // A series removed from the chart is forgotten, with its drawing events.
  void HandleEvent(TTeeEvent& Event) override;
  // The band's outline: Series from first to last visible point, then Series2 backwards.
  std::vector<TPoint> BandPolygon();
  virtual void DrawBand();

 private:
  void Hook(TChartSeries* S);
  void Unhook(TChartSeries* S);
  void Listen(TCustomAxisPanel* Chart, bool On);
  void SeriesDrawing(TChartSeries* S, bool Before);
  bool draw_behind_ = true, series_drawn_ = false, series2_drawn_ = false;
  TTeeGradient gradient_;
  int transparency_ = 0;
  TChartSeries* series2_ = nullptr;
};

// Registers these tool classes for form resources and the tool gallery.
void RegisterExtraToolClasses();
