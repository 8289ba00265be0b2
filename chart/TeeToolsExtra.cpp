#include "chart/TeeToolsExtra.h"

#include <algorithm>
#include <cmath>

#include "chart/TeeProCo.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Application.h"
#include "platform/ui/UiStreaming.h"

namespace {

// Places of the tool descriptions in the gallery text table.
constexpr size_t kMsgCursor = 92, kMsgAxisArrows = 94, kMsgDrawLine = 95, kMsgNearest = 96, kMsgColorBand = 97,
                 kMsgColorLine = 98, kMsgAnnotation = 102, kMsgDragPoint = 166, kMsgSeriesAnimation = 178,
                 kMsgAxisScroll = 207, kMsgRectangle = 208, kMsgClipSeries = 212, kMsgSeriesBand = 213;

AnsiString Msg(size_t Index) { return *ProMessageVariables()[Index]; }

TCustomChart* AsChart(TCustomAxisPanel* p) { return dynamic_cast<TCustomChart*>(p); }

void SetChartCursor(TCustomAxisPanel* Chart, TCursor C) {
  if (Chart) Chart->SetCursor(C);
}

void RepaintOverlayOf(TCustomAxisPanel* Chart) {
  if (TCustomChart* c = AsChart(Chart)) c->RepaintOverlay();
}

// The visible range of a series: first visible index (0 when unknown) to last (Count - 1
// when unknown or beyond the points); false without points.
bool VisibleRange(TChartSeries* S, int& First, int& Last) {
  if (!S || S->Count() < 1) return false;
  First = std::max(0, S->FirstValueIndex);
  Last = S->LastValueIndex;
  if (Last < 0 || Last >= S->Count()) Last = S->Count() - 1;
  return First <= Last;
}

// Screen colour of the chart's background (the button face when it has none of its own).
TColor BackgroundOf(TCustomAxisPanel* Chart) {
  TColor c = Chart->Color();
  if (c == clTeeColor) c = clBtnFace;
  return ColorToRGB(c);
}

void SelectPen(TCanvas* C, TChartPen* P, TColor Color, TPenMode Mode) {
  C->Pen()->SetStyle(P->Style());
  C->Pen()->SetWidth(std::max(1, P->Width()));
  C->Pen()->SetColor(Color);
  C->Pen()->SetMode(Mode);
  C->Brush()->SetStyle(bsClear);
}

TPoint Projected(TCustomAxisPanel* Chart, int X, int Y, int Z) {
  if (!Chart->View3D()) return {X, Y};
  return Chart->ChartCanvas()->Calculate3DPosition(X, Y, Z);
}

void OverlayLine(TCanvas* C, TCustomAxisPanel* Chart, int X0, int Y0, int X1, int Y1, int Z) {
  const TPoint a = Projected(Chart, X0, Y0, Z), b = Projected(Chart, X1, Y1, Z);
  C->MoveTo(a.x, a.y);
  C->LineTo(b.x, b.y);
}

// The lines of an annotation text (split at the chart's line separator).
std::vector<AnsiString> SplitLines(const AnsiString& Text) {
  std::vector<AnsiString> out(1);
  for (char ch : Text) {
    if (ch == ChartLineSeparator) out.emplace_back();
    else out.back().push_back(ch);
  }
  return out;
}

}  // namespace

// =======================================================================================
// TCursorTool

TCursorTool::TCursorTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

AnsiString TCursorTool::Description() const { return Msg(kMsgCursor); }

void TCursorTool::SetStyle(TCursorToolStyle v) {
  if (style_ == v) return;
  style_ = v;
  SnapToPoint();
  Repaint();
}

void TCursorTool::SetUseSeriesZ(bool v) { SetBooleanProperty(use_series_z_, v); }

void TCursorTool::SetSeries(TChartSeries* S) {
  TTeeCustomToolSeries::SetSeries(S);
  if (series_ && !HasState(csLoading)) {
    SnapToPoint();
    Repaint();
  }
}

int TCursorTool::Depth() const { return use_series_z_ && series_ ? series_->MiddleZ : 0; }

TRect TCursorTool::AreaRect() {
  TRect r{};
  if (!parent_) return r;
  if (UseChartRect) return parent_->ChartRect;
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (h) r.Left = h->IStartPos, r.Right = h->IEndPos;
  if (v) r.Top = v->IStartPos, r.Bottom = v->IEndPos;
  if (OnGetAxisRect) OnGetAxisRect(this, r);
  return r;
}

bool TCursorTool::InArea(int X, int Y) {
  if (use_series_z_ && parent_) parent_->ChartCanvas()->Calculate2DPosition(X, Y, Depth());
  return PointInRect(AreaRect(), X, Y);
}

void TCursorTool::CalcValues(int X, int Y) {
  if (use_series_z_ && parent_) parent_->ChartCanvas()->Calculate2DPosition(X, Y, Depth());
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (drag_mode_ != 2 && v) YValue = v->CalcPosPoint(Y);
  if (drag_mode_ != 1 && h) XValue = h->CalcPosPoint(X);
}

int TCursorTool::NearestPoint() const {
  int first, last;
  if (!VisibleRange(series_, first, last)) return -1;
  int best = -1;
  double bestDist = 0;
  for (int i = first; i <= last; ++i) {
    const double dx = XValue - series_->XValue(i), dy = YValue - series_->YValue(i);
    const double d = style_ == cssHorizontal ? std::abs(dy) : style_ == cssVertical ? std::abs(dx) : std::sqrt(dx * dx + dy * dy);
    if (best < 0 || d < bestDist) best = i, bestDist = d;
  }
  return best;
}

int TCursorTool::SnapToPoint() {
  if (!series_ || !Snap) return -1;
  const int i = NearestPoint();
  if (i < 0) return -1;
  if (style_ != cssVertical) YValue = series_->YValue(i);
  if (style_ != cssHorizontal) XValue = series_->XValue(i);
  return i;
}

void TCursorTool::CalcScreenPositions() {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return;
  if (IXPos != -1 && IYPos != -1) {
    IXPos = h->CalcPosValue(XValue);
    IYPos = v->CalcPosValue(YValue);
    return;
  }
  // First drawing: the middle of both axes.
  IXPos = (h->IStartPos + h->IEndPos) / 2;
  IYPos = (v->IStartPos + v->IEndPos) / 2;
  const int saved = drag_mode_;
  drag_mode_ = 0;
  CalcValues(IXPos, IYPos);
  drag_mode_ = saved;
  const int i = SnapToPoint();
  IXPos = h->CalcPosValue(XValue);
  IYPos = v->CalcPosValue(YValue);
  DoChange(i);
}

int TCursorTool::HitTest(int X, int Y) {
  if (!InArea(X, Y)) return 0;
  if (use_series_z_ && parent_) parent_->ChartCanvas()->Calculate2DPosition(X, Y, Depth());
  const bool onH = std::abs(Y - IYPos) < 3, onV = std::abs(X - IXPos) < 3;
  if (style_ == cssBoth && onH && onV) return 3;
  if (style_ != cssVertical && onH) return 1;
  if (style_ != cssHorizontal && onV) return 2;
  return 0;
}

void TCursorTool::DoChange(int ValueIndex) {
  if (OnChange) OnChange(this, IXPos, IYPos, XValue, YValue, series_, ValueIndex);
}

void TCursorTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code != 0 || !parent_) return;
  area_ = AreaRect();
  CalcScreenPositions();
}

void TCursorTool::DrawOverlay(TCanvas* C) {
  if (!parent_ || IXPos == -1 || IYPos == -1) return;
  C->SetClipRegion(nullptr);
  SelectPen(C, pen_.get(), ColorToRGB(pen_->Color()) ^ BackgroundOf(parent_), pmXor);
  const TRect& r = area_;
  const int z = Depth();
  if (style_ != cssVertical) OverlayLine(C, parent_, r.Left, IYPos, r.Right, IYPos, z);
  if (style_ != cssHorizontal) OverlayLine(C, parent_, IXPos, r.Top, IXPos, r.Bottom, z);
  C->Pen()->SetMode(pmCopy);
}

void TCursorTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!parent_) return;
  switch (Kind) {
    case 0:
      if (!FollowMouse) {
        drag_mode_ = HitTest(X, Y);
        if (drag_mode_ != 0) parent_->CancelMouse = true;
      }
      break;
    case 1:
      if (drag_mode_ != 0 || FollowMouse) {
        if (!InArea(X, Y)) break;
        CalcValues(X, Y);
        const int i = SnapToPoint();
        CalcScreenPositions();
        RepaintOverlayOf(parent_);
        DoChange(i);
        if (OnSnapChange && i != last_index_) OnSnapChange(this, IXPos, IYPos, XValue, YValue, series_, i);
        last_index_ = i;
        parent_->CancelMouse = true;
      } else {
        const int hit = HitTest(X, Y);
        if (hit == 1) SetChartCursor(parent_, crVSplit);
        else if (hit == 2) SetChartCursor(parent_, crHSplit);
        else if (hit == 3) SetChartCursor(parent_, crSizeAll);
        parent_->CancelMouse = hit != 0;
      }
      break;
    case 2:
      drag_mode_ = 0;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TNearestTool

TNearestTool::TNearestTool(TComponent* AOwner)
    : TTeeCustomToolSeries(AOwner), line_pen_(std::make_unique<TChartPen>([this](TObject*) { Repaint(); })) {
  brush_.SetStyle(bsClear);
  pen_->SetStyle(psDot);
  pen_->SetColor(clWhite);
  MarkChartDefaults(this);
}

AnsiString TNearestTool::Description() const { return Msg(kMsgNearest); }

void TNearestTool::SetStyle(TNearestToolStyle v) {
  if (style_ == v) return;
  style_ = v;
  Repaint();
}

int TNearestTool::GetNearestPoint(TChartSeries* S, int X, int Y, bool IncludeNulls) {
  int first, last;
  if (!VisibleRange(S, first, last)) return -1;
  TCustomAxisPanel* chart = S->ParentChart();
  TChartValueList* zList = S->ValueListByName("Z");
  int best = -1, bestDist = 10000;
  for (int i = first; i <= last; ++i) {
    if (!IncludeNulls && S->ValueColor(i) == clNone) continue;
    int px = S->CalcXPos(i), py = S->CalcYPos(i);
    if (zList && chart) {
      const TPoint p = chart->ChartCanvas()->Calculate3DPosition(px, py, chart->DepthAxis()->CalcPosValue(zList->Value(i)));
      px = p.x, py = p.y;
    }
    if (chart && !PointInRect(chart->ChartRect, px, py)) continue;
    const double dx = X - px, dy = Y - py;
    const int d = static_cast<int>(std::nearbyint(std::sqrt(dx * dx + dy * dy)));
    if (d < bestDist) best = i, bestDist = d;
  }
  return best;
}

void TNearestTool::DrawHighlight(TCanvas3D* C) {
  if (!series_ || Point < 0 || Point >= series_->Count() || !parent_) return;
  const int x = series_->CalcXPos(Point), y = series_->CalcYPos(Point);
  TChartValueList* zList = series_->ValueListByName("Z");
  const int z = zList ? parent_->DepthAxis()->CalcPosValue(zList->Value(Point)) : series_->MiddleZ;
  const bool is3D = parent_->View3D();
  const int s = size_;
  if (style_ != hsNone) {
    C->AssignVisiblePen(pen_.get());
    C->AssignBrush(&brush_, brush_.Color());
    switch (style_) {
      case hsCircle:
        if (is3D) C->EllipseWithZ(x - s, y - s, x + s, y + s, z);
        else C->Ellipse(x - s, y - s, x + s, y + s);
        break;
      case hsRectangle:
        if (is3D) C->RectangleWithZ(TRect(x - s, y - s, x + s, y + s), z);
        else C->Rectangle(x - s, y - s, x + s, y + s);
        break;
      default:
        C->PolygonWithZ({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}}, z);
        break;
    }
  }
  if (DrawLine()) {
    C->AssignVisiblePen(line_pen_.get());
    if (is3D) {
      C->MoveTo3D(MouseX, MouseY, z);
      C->LineTo3D(x, y, z);
    } else {
      C->MoveTo(MouseX, MouseY);
      C->LineTo(x, y);
    }
  }
}

void TNearestTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code == 0 && FullRepaint && parent_) DrawHighlight(parent_->ChartCanvas());
  if (Code == 5) {
    Point = -1;
    if (FullRepaint) Repaint();
    else RepaintOverlayOf(parent_);
  }
}

void TNearestTool::DrawOverlay(TCanvas* C) {
  if (FullRepaint || !series_ || Point < 0 || Point >= series_->Count() || !parent_) return;
  // An inverting highlight over the drawn chart: the shape and the line, in pixels.
  C->SetClipRegion(nullptr);
  TChartValueList* zList = series_->ValueListByName("Z");
  const int z = zList ? parent_->DepthAxis()->CalcPosValue(zList->Value(Point)) : series_->MiddleZ;
  const TPoint at = Projected(parent_, series_->CalcXPos(Point), series_->CalcYPos(Point), z);
  const int x = at.x, y = at.y, s = size_;
  SelectPen(C, pen_.get(), pen_->Color(), pmNotXor);
  if (style_ == hsCircle) C->Ellipse(x - s, y - s, x + s, y + s);
  if (style_ == hsRectangle) C->Rectangle(x - s, y - s, x + s, y + s);
  if (style_ == hsDiamond) C->Polygon({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}});
  if (DrawLine()) {
    SelectPen(C, line_pen_.get(), line_pen_->Color(), pmNotXor);
    C->MoveTo(MouseX, MouseY);
    C->LineTo(x, y);
  }
  C->Pen()->SetMode(pmCopy);
}

void TNearestTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (Kind != 1 || !series_) return;
  Point = GetNearestPoint(series_, X, Y);
  MouseX = X;
  MouseY = Y;
  if (OnChange) OnChange(this);
  if (FullRepaint) Repaint();
  else RepaintOverlayOf(parent_);
}

// =======================================================================================
// TColorLineTool

TColorLineTool::TColorLineTool(TComponent* AOwner) : TTeeCustomToolAxis(AOwner) { MarkChartDefaults(this); }

AnsiString TColorLineTool::Description() const { return Msg(kMsgColorLine); }

void TColorLineTool::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TColorLineTool*>(Source)) {
    AllowDrag = s->AllowDrag;
    DragRepaint = s->DragRepaint;
    draw3d_ = s->draw3d_;
    draw_behind_ = s->draw_behind_;
    NoLimitDrag = s->NoLimitDrag;
    style_ = s->style_;
    value_ = s->value_;
    pen_->Assign(s->pen_.get());
    brush_.Assign(&s->brush_);
    active_ = s->active_;
    return;
  }
  TTeeCustomToolAxis::Assign(Source);
}

void TColorLineTool::Repaint() {
  if (TCustomAxisPanel* c = Chart()) c->Invalidate();
}

void TColorLineTool::SetStyle(TColorLineStyle v) {
  if (style_ == v) return;
  style_ = v;
  Repaint();
}

void TColorLineTool::SetValue(double v) {
  if (!HasState(csLoading)) style_ = clCustom;
  if (dragging_ && !DragRepaint) {
    value_ = v;
    return;
  }
  if (value_ == v) return;
  value_ = v;
  Repaint();
}

double TColorLineTool::LimitValue(double V) const {
  if (!axis_) return V;
  const double a = axis_->CalcPosPoint(axis_->IStartPos), b = axis_->CalcPosPoint(axis_->IEndPos);
  return std::clamp(V, std::min(a, b), std::max(a, b));
}

double TColorLineTool::LineValue() const {
  double v = value_;
  if (axis_) {
    switch (style_) {
      case clMaximum: v = axis_->Maximum(); break;
      case clCenter: v = (axis_->Maximum() + axis_->Minimum()) * 0.5; break;
      case clMinimum: v = axis_->Minimum(); break;
      default: break;
    }
  }
  // Drawn within the axis while the user may drag it; the stored value stays as it is.
  if (AllowDrag && !NoLimitDrag) v = LimitValue(v);
  return v;
}

void TColorLineTool::DrawColorLine(bool Back) {
  TCustomAxisPanel* chart = Chart();
  if (!chart || !axis_) return;
  TTeeCanvas3D* c = chart->ChartCanvas();
  c->AssignVisiblePen(pen_.get());
  c->SetBackMode(TRANSPARENT);
  const int pos = axis_->CalcPosValue(LineValue());
  const TRect r = chart->ChartRect;
  const int d = chart->Width3D;
  if (Back) {
    if (axis_->Horizontal) {
      if (draw3d_) c->ZLine3D(pos, r.Bottom, 0, d);
      if (draw_behind_ || draw3d_) c->VertLine3D(pos, r.Top, r.Bottom, d);
    } else {
      if (draw3d_) c->ZLine3D(r.Left, pos, 0, d);
      if (draw_behind_ || draw3d_) c->HorizLine3D(r.Left, r.Right, pos, d);
    }
    return;
  }
  if (!chart->View3D() && dragging_ && !DragRepaint) return;
  if (axis_->Horizontal) {
    if (draw3d_) c->ZLine3D(pos, r.Top, 0, d);
    if (!draw_behind_) c->VertLine3D(pos, r.Top, r.Bottom, 0);
  } else {
    if (draw3d_) c->ZLine3D(r.Right, pos, 0, d);
    if (!draw_behind_) c->HorizLine3D(r.Left, r.Right, pos, 0);
  }
}

void TColorLineTool::ChartEvent(int Code) {
  TTeeCustomToolAxis::ChartEvent(Code);
  if (!axis_) return;
  if (Code == 1) DrawColorLine(true);
  if (Code == 0) DrawColorLine(false);
}

bool TColorLineTool::Clicked(int X, int Y) {
  TCustomAxisPanel* chart = Chart();
  if (!chart || !axis_) return false;
  const int pos = axis_->CalcPosValue(LineValue());
  const TRect r = chart->ChartRect;
  if (axis_->Horizontal) return std::abs(X - pos) < 3 && Y >= r.Top && Y <= r.Bottom;
  return std::abs(Y - pos) < 3 && X >= r.Left && X <= r.Right;
}

void TColorLineTool::DrawOverlay(TCanvas* C) {
  // While dragged without repainting: the line at its new place over the drawn chart.
  TCustomAxisPanel* chart = Chart();
  if (!dragging_ || DragRepaint || !chart || !axis_) return;
  C->SetClipRegion(nullptr);
  SelectPen(C, pen_.get(), pen_->Color(), pmCopy);
  const int pos = axis_->CalcPosValue(LineValue());
  const TRect r = chart->ChartRect;
  if (axis_->Horizontal) OverlayLine(C, chart, pos, r.Top, pos, r.Bottom, 0);
  else OverlayLine(C, chart, r.Left, pos, r.Right, pos, 0);
}

void TColorLineTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolAxis::ChartMouseEvent(Kind, Button, Shift, X, Y);
  TCustomAxisPanel* chart = Chart();
  if (!AllowDrag || !axis_ || !chart) return;
  switch (Kind) {
    case 0:
      if (Button != mbLeft) break;
      dragging_ = Clicked(X, Y);
      chart->CancelMouse = dragging_;
      if (dragging_ && OnBeginDragLine) OnBeginDragLine(this);
      break;
    case 1:
      if (dragging_) {
        double v = axis_->CalcPosPoint(axis_->Horizontal ? X : Y);
        if (!NoLimitDrag) v = LimitValue(v);
        if (DragRepaint) {
          SetValue(v);
        } else if (v != LineValue()) {
          style_ = clCustom;
          value_ = v;
          RepaintOverlayOf(chart);
        }
        chart->CancelMouse = true;
        if (OnDragLine) OnDragLine(this);
      } else if (Clicked(X, Y)) {
        SetChartCursor(chart, axis_->Horizontal ? crHSplit : crVSplit);
        chart->CancelMouse = true;
      }
      break;
    case 2:
      if (!dragging_) break;
      dragging_ = false;
      if (!DragRepaint) chart->Invalidate();
      if (OnEndDragInternal) OnEndDragInternal(this);
      if (OnEndDragLine) OnEndDragLine(this);
      break;
    default:
      break;
  }
}

// =======================================================================================
// TColorBandTool

TColorBandTool::TColorBandTool(TComponent* AOwner)
    : TTeeCustomToolAxis(AOwner), gradient_([this](TObject*) { Repaint(); }) {
  auto makeLine = [this](bool Start) {
    auto l = std::make_unique<TColorLineTool>(nullptr);
    l->SetActive(false);
    l->DragRepaint = true;
    l->Pen()->OnChange = [this](TObject*) { Repaint(); };
    l->OnDragLine = [this, Start](TColorLineTool* L) {
      if (L->DragRepaint) Start ? SetStartValue(L->Value()) : SetEndValue(L->Value());
    };
    l->OnEndDragInternal = [this, Start](TColorLineTool* L) {
      if (!L->DragRepaint) Start ? SetStartValue(L->Value()) : SetEndValue(L->Value());
    };
    return l;
  };
  start_line_ = makeLine(true);
  end_line_ = makeLine(false);
  MarkChartDefaults(this);
}

TColorBandTool::~TColorBandTool() = default;

AnsiString TColorBandTool::Description() const { return Msg(kMsgColorBand); }

void TColorBandTool::SetLines() {
  start_line_->SetValue(start_value_);
  end_line_->SetValue(end_value_);
}

void TColorBandTool::SetStartValue(double v) {
  if (start_value_ != v) {
    start_value_ = v;
    Repaint();
  }
  SetLines();
}

void TColorBandTool::SetEndValue(double v) {
  if (end_value_ != v) {
    end_value_ = v;
    Repaint();
  }
  SetLines();
}

void TColorBandTool::Loaded() {
  TTeeCustomToolAxis::Loaded();
  SetLines();
}

void TColorBandTool::SetResizeStart(bool v) {
  start_line_->SetActive(v);
  Repaint();
}

void TColorBandTool::SetResizeEnd(bool v) {
  end_line_->SetActive(v);
  Repaint();
}

void TColorBandTool::SetParentChart(TCustomAxisPanel* p) {
  TTeeCustomToolAxis::SetParentChart(p);
  start_line_->OwnerChart = end_line_->OwnerChart = p;
}

void TColorBandTool::SetAxis(TChartAxis* A) {
  TTeeCustomToolAxis::SetAxis(A);
  // The edge lines belong to the band, not to the chart's tool list.
  for (TColorLineTool* l : {start_line_.get(), end_line_.get()}) {
    l->SetAxis(A);
    l->SetParentChart(nullptr);
    l->OwnerChart = parent_;
  }
}

int TColorBandTool::Z() const { return draw_behind_ && parent_ ? parent_->Width3D : 0; }

TRect TColorBandTool::BoundsRect() {
  if (!axis_ || !parent_) return TRect{};
  double a = start_value_, b = end_value_;
  if (a > b) std::swap(a, b);
  if (a > axis_->Maximum() || b < axis_->Minimum()) return TRect{};
  TRect r = parent_->ChartRect;
  int pa = axis_->CalcPosValue(a), pb = axis_->CalcPosValue(b);
  if (axis_->Horizontal) {
    if (pa > pb) std::swap(pa, pb);
    r.Left = std::max(std::min(axis_->IStartPos, axis_->IEndPos), pa);
    r.Right = std::min(std::max(axis_->IStartPos, axis_->IEndPos), pb);
    if (pen_->Visible()) ++r.Right;
  } else {
    if (pa < pb) std::swap(pa, pb);  // pa the lower edge on screen
    r.Top = std::max(std::min(axis_->IStartPos, axis_->IEndPos), pb);
    r.Bottom = std::min(std::max(axis_->IStartPos, axis_->IEndPos), pa);
    ++r.Left;
    ++r.Bottom;
    if (!pen_->Visible()) ++r.Bottom, ++r.Right;
  }
  return r;
}

void TColorBandTool::DrawBand() {
  if (!axis_ || !parent_) return;
  const TRect r = BoundsRect();
  if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int z = Z();
  c->AssignBrush(&brush_, color_);
  c->AssignVisiblePen(pen_.get());
  const bool is3D = parent_->View3D();
  if (gradient_.Visible() && (!is3D || parent_->View3DOptions()->Orthogonal())) {
    gradient_.Draw(c, c->CalcRect3D(TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1), z));
    c->Brush()->SetStyle(bsClear);
  }
  TTeeBlend* blend = transparency_ ? c->BeginBlending(c->CalcRect3D(r, z), transparency_) : nullptr;
  if (is3D) c->RectangleWithZ(r, z);
  else c->RectangleRect(r);
  if (blend) c->EndBlending(blend);
  for (TColorLineTool* l : {end_line_.get(), start_line_.get()}) {
    if (!l->Active()) continue;
    l->DrawColorLine(draw_behind_);
  }
}

void TColorBandTool::ChartEvent(int Code) {
  TTeeCustomToolAxis::ChartEvent(Code);
  if ((Code == 0 && !draw_behind_ && !draw_behind_axes_) || (Code == 1 && draw_behind_ && !draw_behind_axes_) ||
      (Code == 3 && draw_behind_axes_))
    DrawBand();
}

bool TColorBandTool::Clicked(int X, int Y) {
  if (!parent_) return false;
  const TRect r = BoundsRect();
  if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1) return false;
  const std::vector<TPoint> p = parent_->ChartCanvas()->FourPointsFromRect(r, Z());
  return PointInPolygon(TPoint{X, Y}, p);
}

void TColorBandTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolAxis::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!parent_) return;
  if (start_line_->Active()) start_line_->ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (end_line_->Active() && !parent_->CancelMouse) end_line_->ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (Kind == 0 && OnClick && Clicked(X, Y)) OnClick(this, Button, Shift, X, Y);
  if (Kind == 1 && Cursor != crDefault && !parent_->CancelMouse && Clicked(X, Y)) {
    SetChartCursor(parent_, Cursor);
    TCustomChart* c = AsChart(parent_);
    parent_->CancelMouse = !(c && (c->Zoom()->Active || c->Panning()->Active));
  }
}

void TColorBandTool::DrawOverlay(TCanvas* C) {
  start_line_->DrawOverlay(C);
  end_line_->DrawOverlay(C);
}

// =======================================================================================
// TDrawLine and TDrawLineTool

TDrawLine::~TDrawLine() {
  if (owner_) owner_->ForgetLine(this);
}

void TDrawLine::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TDrawLine*>(Source)) {
    StartPos = s->StartPos;
    EndPos = s->EndPos;
    style_ = s->style_;
    return;
  }
  TPersistent::Assign(Source);
}

void TDrawLine::SetStyle(TDrawLineStyle v) {
  if (style_ == v) return;
  style_ = v;
  if (owner_) owner_->Repaint();
}

void TDrawLine::SetCoord(double& Field, double V) {
  if (Field == V) return;
  Field = V;
  if (owner_) owner_->Repaint();
}

TDrawLineTool::TDrawLineTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

TDrawLineTool::~TDrawLineTool() {
  selected_ = nullptr;
  lines_.clear();
}

AnsiString TDrawLineTool::Description() const { return Msg(kMsgDrawLine); }

void TDrawLineTool::ForgetLine(TDrawLine* Line) {
  if (selected_ == Line) selected_ = nullptr;
}

void TDrawLineTool::SetEnableSelect(bool v) {
  if (enable_select_ == v) return;
  enable_select_ = v;
  if (!v) {
    selected_ = nullptr;
    Repaint();
  }
}

TDrawLine* TDrawLineTool::AddLine(TFloatPoint From, TFloatPoint To, TDrawLineStyle Style) {
  auto l = std::make_unique<TDrawLine>(this);
  l->StartPos = From;
  l->EndPos = To;
  l->SetStyle(Style);
  lines_.push_back(std::move(l));
  Repaint();
  return lines_.back().get();
}

void TDrawLineTool::DeleteLine(int Index) {
  lines_.erase(lines_.begin() + Index);
  Repaint();
}

void TDrawLineTool::ClearLines() {
  lines_.clear();
  Repaint();
}

TPoint TDrawLineTool::AxisPoint(TFloatPoint P) const {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  return {h ? h->CalcPosValue(P.X) : 0, v ? v->CalcPosValue(P.Y) : 0};
}

TFloatPoint TDrawLineTool::ScreenToValue(TPoint P) const {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  return {h ? h->CalcPosPoint(P.x) : 0, v ? v->CalcPosPoint(P.y) : 0};
}

namespace {

bool NearSegment(TPoint P, TPoint A, TPoint B, double Tolerance) {
  const double dx = B.x - A.x, dy = B.y - A.y, len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((P.x - A.x) * dx + (P.y - A.y) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = A.x + t * dx - P.x, ey = A.y + t * dy - P.y;
  return std::sqrt(ex * ex + ey * ey) <= Tolerance;
}

bool InHandle(TPoint P, TPoint H) { return std::abs(P.x - H.x) <= 3 && std::abs(P.y - H.y) <= 3; }

// The segments a line of Style between A and B is drawn with.
std::vector<std::pair<TPoint, TPoint>> LineSegments(TDrawLineStyle Style, TPoint A, TPoint B) {
  switch (Style) {
    case dlHorizParallel: return {{{A.x, A.y}, {B.x, A.y}}, {{A.x, B.y}, {B.x, B.y}}};
    case dlVertParallel: return {{{A.x, A.y}, {A.x, B.y}}, {{B.x, A.y}, {B.x, B.y}}};
    default: return {{A, B}};
  }
}

}  // namespace

bool TDrawLineTool::HitLine(TDrawLine* L, int X, int Y, int Part) {
  if (parent_ && parent_->View3D()) parent_->ChartCanvas()->Calculate2DPosition(X, Y, 0);
  const TPoint p{X, Y}, a = AxisPoint(L->StartPos), b = AxisPoint(L->EndPos);
  if (Part == 1) return InHandle(p, a);
  if (Part == 2) return InHandle(p, b);
  for (const auto& [s, e] : LineSegments(L->Style(), a, b))
    if (NearSegment(p, s, e, 4)) return true;
  return false;
}

TDrawLine* TDrawLineTool::LineAt(int X, int Y, int Part) {
  if (selected_ && HitLine(selected_, X, Y, Part)) return selected_;
  for (auto& l : lines_)
    if (HitLine(l.get(), X, Y, Part)) return l.get();
  return nullptr;
}

TDrawLine* TDrawLineTool::Clicked(int X, int Y) {
  for (int part : {0, 1, 2})
    if (TDrawLine* l = LineAt(X, Y, part)) return l;
  return nullptr;
}

TRect TDrawLineTool::ClipRect() {
  if (series_) {
    TChartAxis* h = GetHorizAxis();
    TChartAxis* v = GetVertAxis();
    return TRect(h->IStartPos, v->IStartPos, h->IEndPos, v->IEndPos);
  }
  return parent_->ChartRect;
}

void TDrawLineTool::ClipDrawingRegion() {
  if (parent_->CanClip()) parent_->ChartCanvas()->ClipCube(ClipRect(), 0, parent_->Width3D);
}

void TDrawLineTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code != 0 || lines_.empty() || !parent_) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->SetBackMode(TRANSPARENT);
  ClipDrawingRegion();
  c->AssignVisiblePen(pen_.get());
  const bool is3D = parent_->View3D();
  for (auto& l : lines_)
    for (const auto& [a, b] : LineSegments(l->Style(), AxisPoint(l->StartPos), AxisPoint(l->EndPos))) {
      if (is3D) c->LineWithZ(a.x, a.y, b.x, b.y, 0);
      else c->Line(a.x, a.y, b.x, b.y);
    }
  if (selected_) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(parent_->Color() == clBlack ? clSilver : clBlack);
    c->Pen()->SetStyle(psClear);
    for (TFloatPoint fp : {selected_->StartPos, selected_->EndPos}) {
      const TPoint p = AxisPoint(fp);
      c->RectangleWithZ(TRect(p.x - 3, p.y - 3, p.x + 3, p.y + 3), 0);
    }
  }
  if (parent_->CanClip()) c->UnClipRectangle();
}

void TDrawLineTool::DrawOverlay(TCanvas* C) {
  if (!rubber_ || !parent_) return;
  C->SetClipRegion(nullptr);
  const TColor color = ColorToRGB(pen_->Color()) ^ (0xFFFFFF - BackgroundOf(parent_));
  SelectPen(C, pen_.get(), color, pmNotXor);
  for (const auto& [a, b] : LineSegments(selected_ ? selected_->Style() : dlLine, from_, to_))
    OverlayLine(C, parent_, a.x, a.y, b.x, b.y, 0);
  C->Pen()->SetMode(pmCopy);
}

void TDrawLineTool::ChartMouseEvent(int Kind, TMouseButton MouseButton, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, MouseButton, Shift, X, Y);
  if (!parent_) return;
  switch (Kind) {
    case 0: {
      if (MouseButton != Button) break;
      TDrawLine* hit = enable_select_ ? Clicked(X, Y) : nullptr;
      if (hit) {
        from_ = AxisPoint(hit->StartPos);
        to_ = AxisPoint(hit->EndPos);
        drag_part_ = 3;
        old_x_ = X;
        old_y_ = Y;
        if (hit == selected_) {
          if (HitLine(hit, X, Y, 1)) drag_part_ = 1;
          else if (HitLine(hit, X, Y, 2)) drag_part_ = 2;
        } else {
          bool allow = true;
          if (OnSelecting) OnSelecting(this, hit, allow);
          if (allow) {
            selected_ = hit;
            Repaint();
            if (OnSelect) OnSelect(this);
          } else {
            drag_part_ = 0;
          }
        }
        parent_->CancelMouse = true;
      } else {
        if (selected_) {
          selected_ = nullptr;
          Repaint();
        }
        if (EnableDraw) {
          drawing_ = true;
          from_ = to_ = TPoint{X, Y};
          rubber_ = true;
          RepaintOverlayOf(parent_);
          parent_->CancelMouse = true;
        }
      }
      break;
    }
    case 1:
      if (!drawing_ && drag_part_ == 0) {
        if (!enable_select_) break;
        bool over = false;
        if (selected_ && (HitLine(selected_, X, Y, 1) || HitLine(selected_, X, Y, 2))) {
          SetChartCursor(parent_, crCross);
          over = true;
        } else if (Clicked(X, Y)) {
          SetChartCursor(parent_, crHandPoint);
          over = true;
        }
        parent_->CancelMouse = over;
        break;
      }
      if (drawing_) {
        to_ = TPoint{X, Y};
      } else if (drag_part_ == 1) {
        from_ = TPoint{X, Y};
      } else if (drag_part_ == 2) {
        to_ = TPoint{X, Y};
      } else {
        from_.x += X - old_x_, from_.y += Y - old_y_;
        to_.x += X - old_x_, to_.y += Y - old_y_;
        old_x_ = X;
        old_y_ = Y;
      }
      rubber_ = true;
      RepaintOverlayOf(parent_);
      parent_->CancelMouse = true;
      if (OnDragLine) OnDragLine(this);
      break;
    case 2:
      if (MouseButton != Button) break;
      rubber_ = false;
      if (drag_part_ != 0) {
        if (selected_) {
          if (drag_part_ != 2) selected_->StartPos = ScreenToValue(from_);
          if (drag_part_ != 1) selected_->EndPos = ScreenToValue(to_);
        }
        drag_part_ = 0;
        Repaint();
        if (OnDraggedLine) OnDraggedLine(this);
      } else if (drawing_) {
        if (from_ != to_) {
          AddLine(ScreenToValue(from_), ScreenToValue(to_));
          if (OnNewLine) OnNewLine(this);
        } else {
          RepaintOverlayOf(parent_);
        }
      }
      drawing_ = false;
      break;
    default:
      break;
  }
}

void TDrawLineTool::DefineProperties(TFiler& Filer) {
  // The lines travel as their count, then each line's style and four coordinates.
  Filer.DefineBinaryProperty(
      "Lines",
      [this](TStream& S) {
        int32_t n = 0;
        S.ReadBuffer(&n, 4);
        lines_.clear();
        for (int i = 0; i < n; ++i) {
          int32_t style = 0;
          double v[4];
          S.ReadBuffer(&style, 4);
          S.ReadBuffer(v, sizeof v);
          auto l = std::make_unique<TDrawLine>(this);
          l->SetStyle(static_cast<TDrawLineStyle>(std::clamp(style, 0, 2)));
          l->StartPos = {v[0], v[1]};
          l->EndPos = {v[2], v[3]};
          lines_.push_back(std::move(l));
        }
      },
      [this](TStream& S) {
        const int32_t n = static_cast<int32_t>(lines_.size());
        S.WriteBuffer(&n, 4);
        for (auto& l : lines_) {
          const int32_t style = l->Style();
          const double v[4] = {l->StartPos.X, l->StartPos.Y, l->EndPos.X, l->EndPos.Y};
          S.WriteBuffer(&style, 4);
          S.WriteBuffer(v, sizeof v);
        }
      },
      !lines_.empty());
}

// =======================================================================================
// TAxisArrowTool

TAxisArrowTool::TAxisArrowTool(TComponent* AOwner) : TTeeCustomToolAxis(AOwner) { MarkChartDefaults(this); }

AnsiString TAxisArrowTool::Description() const { return Msg(kMsgAxisArrows); }

void TAxisArrowTool::SetPosition(TAxisArrowToolPosition v) {
  if (position_ == v) return;
  position_ = v;
  Repaint();
}

void TAxisArrowTool::ChartEvent(int Code) {
  TTeeCustomToolAxis::ChartEvent(Code);
  if (Code != 0 || !axis_ || !parent_) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignBrush(&brush_, brush_.Color());
  c->AssignVisiblePen(pen_.get());
  const int z = parent_->View3D() && axis_->OtherSide ? parent_->Width3D : 0;
  const int line = axis_->PosAxis;
  auto arrow = [&](int p, int l) {
    if (axis_->Horizontal) c->Arrow(true, {p + l, line}, {p, line}, 8, 8, z);
    else c->Arrow(true, {line, p + l}, {line, p}, 8, 8, z);
  };
  if (position_ != aaEnd) arrow(axis_->IStartPos, length_);
  if (position_ != aaStart) arrow(axis_->IEndPos, -length_);
}

int TAxisArrowTool::ClickedArrow(int X, int Y) const {
  if (!axis_) return -1;
  const int a = axis_->Horizontal ? X : Y, c = axis_->Horizontal ? Y : X;
  if (std::abs(c - axis_->PosAxis) >= 3) return -1;
  if (position_ != aaEnd && axis_->IStartPos < a && a < axis_->IStartPos + length_) return 0;
  if (position_ != aaStart && axis_->IEndPos - length_ < a && a < axis_->IEndPos) return 1;
  return -1;
}

void TAxisArrowTool::ScrollAxis(TCustomAxisPanel* Chart, TChartAxis* Axis, double Delta) {
  TCustomChart* chart = AsChart(Chart);
  double mn = Axis->Minimum() + Delta, mx = Axis->Maximum() + Delta;
  bool allow = true;
  if (chart && chart->OnAllowScroll) chart->OnAllowScroll(Axis, mn, mx, allow);
  if (!allow) return;
  Axis->Scroll(Delta, false);
  // The axis on the other side that the same series are plotted on.
  TChartAxis* other = nullptr;
  for (TChartSeries* s : Chart->SeriesList()) {
    if (!s->AssociatedToAxis(Axis)) continue;
    if (Axis->Horizontal && s->HorizAxis() == aBothHorizAxis)
      other = Axis == Chart->BottomAxis() ? Chart->TopAxis() : Chart->BottomAxis();
    else if (!Axis->Horizontal && s->VertAxis() == aBothVertAxis)
      other = Axis == Chart->LeftAxis() ? Chart->RightAxis() : Chart->LeftAxis();
    if (other) break;
  }
  if (other) other->Scroll(Delta, false);
  if (Chart->OnScroll) Chart->OnScroll(Chart);
}

void TAxisArrowTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolAxis::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!axis_ || !axis_->Visible() || !parent_) return;
  if (Kind == 0 && ScrollPercent != 0) {
    const int hit = ClickedArrow(X, Y);
    if (hit == -1) return;
    double step = (axis_->Maximum() - axis_->Minimum()) * ScrollPercent / 100.0;
    if (ScrollInverted) step = -step;
    ScrollAxis(parent_, axis_, hit == 0 ? step : -step);
    parent_->CancelMouse = true;
    if (OnClick) OnClick(this, hit == 0);
  } else if (Kind == 1 && ClickedArrow(X, Y) != -1) {
    SetChartCursor(parent_, crHandPoint);
    parent_->CancelMouse = true;
  }
}

// =======================================================================================
// TAxisScrollTool

AnsiString TAxisScrollTool::Description() const { return Msg(kMsgAxisScroll); }

TChartAxis* TAxisScrollTool::AxisAt(int X, int Y) {
  if (axis_) return axis_->Visible() && axis_->Clicked(X, Y) ? axis_ : nullptr;
  for (TChartAxis* a : parent_->Axes())
    if (a->Visible() && a->Clicked(X, Y)) return a;
  return nullptr;
}

void TAxisScrollTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolAxis::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!active_ || !parent_) return;
  switch (Kind) {
    case 0:
      in_axis_ = AxisAt(X, Y);
      old_x_ = X;
      old_y_ = Y;
      break;
    case 1:
      if (in_axis_) {
        const bool h = in_axis_->Horizontal;
        int d = h ? old_x_ - X : old_y_ - Y;
        if (in_axis_->Inverted()) d = -d;
        if (h == ScrollInverted) d = -d;
        auto scroll = [d](TChartAxis* a) {
          const int size = a->IEndPos - a->IStartPos;
          if (size != 0) a->Scroll((a->Maximum() - a->Minimum()) * d / size, false);
        };
        scroll(in_axis_);
        for (TChartAxis* a : parent_->Axes()) {
          if (a == in_axis_ || a->Horizontal != h || a->IsDepthAxis) continue;
          for (TChartSeries* s : parent_->SeriesList())
            if (s->AssociatedToAxis(a) && s->AssociatedToAxis(in_axis_)) {
              scroll(a);
              break;
            }
        }
        old_x_ = X;
        old_y_ = Y;
        parent_->CancelMouse = true;
      } else if (AxisAt(X, Y)) {
        SetChartCursor(parent_, crHandPoint);
        parent_->CancelMouse = true;
      }
      break;
    case 2:
      in_axis_ = nullptr;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TAnnotationTool and TRectangleTool

TAnnotationCallout::TAnnotationCallout(TNotifyEvent OnChange) : on_change_(OnChange), arrow_(OnChange) {
  arrow_.SetVisible(false);
}

void TAnnotationCallout::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TAnnotationCallout*>(Source)) {
    x_ = s->x_, y_ = s->y_, z_ = s->z_;
    visible_ = s->visible_;
    distance_ = s->distance_;
    arrow_.Assign(&s->arrow_);
    return;
  }
  TPersistent::Assign(Source);
}

TAnnotationTool::TAnnotationTool(TComponent* AOwner)
    : TTeeCustomTool(AOwner), shape_(std::make_unique<TAnnotationShape>(nullptr)), callout_([this](TObject*) { Repaint(); }) {
  MarkChartDefaults(this);
}

TAnnotationTool::~TAnnotationTool() = default;

AnsiString TAnnotationTool::Description() const { return Msg(kMsgAnnotation); }

void TAnnotationTool::SetParentChart(TCustomAxisPanel* p) {
  TTeeCustomTool::SetParentChart(p);
  if (HasState(csDestroying)) return;
  shape_->SetParentChart(p);
  if (p) p->Invalidate();
}

void TAnnotationTool::SetPosition(TAnnotationPosition v) {
  shape_->SetCustomPosition(false);
  if (position_ == v) return;
  position_ = v;
  Repaint();
}

void TAnnotationTool::SetPositionUnits(TTeeUnits v) {
  if (position_units_ == v) return;
  position_units_ = v;
  Repaint();
}

void TAnnotationTool::SetTextAlignment(TAlignment v) {
  if (text_alignment_ == v) return;
  text_alignment_ = v;
  Repaint();
}

void TAnnotationTool::SetWidth(int v) {
  if (v == Width()) return;
  shape_->SetWidth(v);
  Repaint();
}

void TAnnotationTool::SetHeight(int v) {
  if (v == Height()) return;
  shape_->SetHeight(v);
  Repaint();
}

TRect TAnnotationTool::Bounds(TPoint* TextOrigin, int* LineHeight) {
  if (!parent_) return TRect{};
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignFont(shape_->Font());
  const int h = c->FontHeight();
  const AnsiString text = GetText();
  const std::vector<AnsiString> parts = SplitLines(text.empty() ? AnsiString(1, ' ') : text);
  const int lines = static_cast<int>(parts.size());
  int w = 0;
  for (const AnsiString& l : parts) w = std::max(w, c->TextWidth(l));
  const int th = lines * h, cw = parent_->Width(), ch = parent_->Height();
  int x, y;
  if (shape_->CustomPosition()) {
    if (position_units_ == muPercent) {
      x = static_cast<int>(std::nearbyint(shape_->Left() * cw * 0.01));
      y = static_cast<int>(std::nearbyint(shape_->Top() * ch * 0.01));
    } else {
      x = shape_->Left() + 4;
      y = shape_->Top() + 2;
    }
  } else {
    switch (position_) {
      case ppLeftBottom: x = 10, y = ch - th - 8; break;
      case ppRightTop: x = cw - w - 8, y = 10; break;
      case ppRightBottom: x = cw - w - 8, y = ch - th - 8; break;
      default: x = 10, y = 10; break;
    }
  }
  const int bw = auto_size_ ? w + 6 : shape_->Width(), bh = auto_size_ ? th + 4 : shape_->Height();
  if (TextOrigin) *TextOrigin = {x, y};
  if (LineHeight) *LineHeight = h;
  return TRect(x - 4, y - 2, x - 4 + bw, y - 2 + bh);
}

void TAnnotationTool::DrawCallout(const TRect& Box) {
  if (!callout_.Visible() && !callout_.Arrow()->Visible()) return;
  TPoint p{callout_.XPosition(), callout_.YPosition()};
  TPoint to;
  to.x = p.x >= Box.Left && p.x <= Box.Right ? (Box.Left + Box.Right) / 2 : p.x < Box.Left ? Box.Left : Box.Right;
  to.y = p.y >= Box.Top && p.y <= Box.Bottom ? (Box.Top + Box.Bottom) / 2 : p.y < Box.Top ? Box.Top : Box.Bottom;
  if (callout_.Distance() != 0) {
    const double dx = to.x - p.x, dy = to.y - p.y, len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
      p.x += static_cast<int>(std::nearbyint(dx * callout_.Distance() / len));
      p.y += static_cast<int>(std::nearbyint(dy * callout_.Distance() / len));
    }
  }
  TTeeCanvas3D* c = parent_->ChartCanvas();
  if (callout_.Arrow()->Visible()) {
    c->AssignVisiblePen(callout_.Arrow());
    c->LineWithZ(to.x, to.y, p.x, p.y, callout_.ZPosition());
  }
}

void TAnnotationTool::ChartEvent(int Code) {
  TTeeCustomTool::ChartEvent(Code);
  if (Code != 0 || !parent_) return;
  TPoint origin;
  int h = 0;
  const TRect box = Bounds(&origin, &h);
  const TRect stored = shape_->ShapeBounds;
  shape_->ShapeBounds = box;
  if (shape_->Visible()) shape_->Draw();
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignFont(shape_->Font());
  c->SetBackMode(TRANSPARENT);
  int x = origin.x;
  if (text_alignment_ == taLeftJustify) c->SetTextAlign(TA_LEFT);
  if (text_alignment_ == taCenter) c->SetTextAlign(TA_CENTER), x = (box.Left + box.Right) / 2 + 2;
  if (text_alignment_ == taRightJustify) c->SetTextAlign(TA_RIGHT), x = box.Right - 2;
  int line = 0;
  for (const AnsiString& part : SplitLines(GetText())) c->TextOut(x, origin.y + line++ * h, part);
  c->SetTextAlign(TA_LEFT);
  DrawCallout(box);
  shape_->ShapeBounds = stored;
}

void TAnnotationTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomTool::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!parent_) return;
  if (Kind == 0 && OnClick && Clicked(X, Y)) OnClick(this, Button, Shift, X, Y);
  if (Kind == 1 && Cursor != crDefault && Clicked(X, Y)) {
    SetChartCursor(parent_, Cursor);
    parent_->CancelMouse = true;
  }
}

TRectangleTool::TRectangleTool(TComponent* AOwner) : TAnnotationTool(AOwner) {
  SetAutoSize(false);
  shape_->SetCustomPosition(true);
  shape_->Shadow()->SetSize(0);
  shape_->SetTransparency(75);
  shape_->ShapeBounds = TRect(10, 10, 60, 60);
  SetPositionUnits(muPixels);
  Cursor = crHandPoint;
  MarkChartDefaults(this);
}

AnsiString TRectangleTool::Description() const { return Msg(kMsgRectangle); }

int TRectangleTool::EdgeAt(int X, int Y) {
  if (!Clicked(X, Y)) return -1;
  const TRect r = Bounds();
  if (std::abs(X - r.Left) < 4) return 0;
  if (std::abs(Y - r.Top) < 4) return 1;
  if (std::abs(X - r.Right) < 4) return 2;
  if (std::abs(Y - r.Bottom) < 4) return 3;
  return -1;
}

void TRectangleTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TAnnotationTool::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!active_ || !parent_) return;
  TRect& sb = shape_->ShapeBounds;
  switch (Kind) {
    case 0: {
      if (Button != mbLeft) break;
      const TRect r = Bounds();
      ResizeEdge = EdgeAt(X, Y);
      if (ResizeEdge != -1) {
        OffsetX = X - (ResizeEdge == 2 ? r.Right : r.Left);
        OffsetY = Y - (ResizeEdge == 3 ? r.Bottom : r.Top);
        parent_->CancelMouse = true;
      } else if (Clicked(X, Y)) {
        OffsetX = X - r.Left;
        OffsetY = Y - r.Top;
        DraggingBox = true;
        parent_->CancelMouse = true;
      }
      break;
    }
    case 1:
      if (DraggingBox) {
        const int w = sb.Right - sb.Left, h = sb.Bottom - sb.Top;
        sb.Left = X - OffsetX;
        sb.Top = Y - OffsetY;
        sb.Right = sb.Left + w;
        sb.Bottom = sb.Top + h;
        Repaint();
        parent_->CancelMouse = true;
        if (OnDragging) OnDragging(this);
      } else if (ResizeEdge != -1) {
        switch (ResizeEdge) {
          case 0: sb.Left = std::min(sb.Right - 3, X - OffsetX); break;
          case 1: sb.Top = std::min(sb.Bottom - 3, Y - OffsetY); break;
          case 2: sb.Right = std::max(sb.Left + 3, X - OffsetX); break;
          default: sb.Bottom = std::max(sb.Top + 3, Y - OffsetY); break;
        }
        Repaint();
        parent_->CancelMouse = true;
        if (OnResizing) OnResizing(this);
      } else {
        const int edge = EdgeAt(X, Y);
        bool set = true;
        if (edge == 0 || edge == 2) SetChartCursor(parent_, crSizeWE);
        else if (edge == 1 || edge == 3) SetChartCursor(parent_, crSizeNS);
        else if (Clicked(X, Y) && Cursor != crDefault) SetChartCursor(parent_, Cursor);
        else set = false;
        parent_->CancelMouse = set;
      }
      break;
    case 2:
      DraggingBox = false;
      ResizeEdge = -1;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TSeriesAnimationTool

TSeriesAnimationTool::TSeriesAnimationTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

TSeriesAnimationTool::~TSeriesAnimationTool() { stopped_ = true; }

AnsiString TSeriesAnimationTool::Description() const { return Msg(kMsgSeriesAnimation); }

void TSeriesAnimationTool::Frame() {
  if (TCustomAxisPanel* c = series_ ? series_->ParentChart() : nullptr) {
    c->Invalidate();
    c->Update();
  }
  if (Application) Application->ProcessMessages();
}

void TSeriesAnimationTool::RestoreValues() {
  TChartValueList* list = series_ ? series_->MandatoryValueList() : nullptr;
  if (!list) return;
  const int n = std::min(list->Count(), static_cast<int>(backup_.size()));
  for (int i = 0; i < n; ++i) list->SetValue(i, backup_[static_cast<size_t>(i)]);
}

void TSeriesAnimationTool::Execute() {
  if (!series_ || !stopped_) return;
  TChartValueList* list = series_->MandatoryValueList();
  backup_.clear();
  for (int i = 0; i < list->Count(); ++i) backup_.push_back(list->Value(i));
  TChartSeries* s = series_;
  s->BeginUpdate();
  stopped_ = false;
  try {
    if (Loop == salNo) {
      Animate(true);
    } else {
      bool forward = true;
      while (!stopped_ && series_) {
        Animate(forward);
        forward = !forward;
      }
    }
  } catch (...) {
    // The series gets its real values back before the copy goes.
    RestoreValues();
    stopped_ = true;
    s->EndUpdate();
    backup_.clear();
    throw;
  }
  stopped_ = true;
  s->EndUpdate();
  backup_.clear();
}

void TSeriesAnimationTool::Animate(bool Forward) {
  TChartValueList* list = series_->MandatoryValueList();
  const int count = list->Count();
  const double start = StartAtMin ? (count > 0 ? list->MinValue() : 0) : StartValue;
  for (int i = 0; i < count; ++i) list->SetValue(i, start);
  Frame();
  const int groups = DrawEvery == 0 ? (count > 0 ? 1 : 0) : (count + DrawEvery - 1) / DrawEvery;
  const double inv = 1.0 / steps_;
  for (int g = 0; g < groups; ++g) {
    const int from = DrawEvery == 0 ? 0 : DrawEvery * g;
    const int to = DrawEvery == 0 ? count - 1 : std::min(count - 1, DrawEvery * g + DrawEvery - 1);
    for (int step = 0; step <= steps_; ++step) {
      double factor = step * inv, offset = start - start * factor;
      if (Loop == salCircular && !Forward) {
        offset = 0;
        factor = (steps_ - step) * inv;
      }
      for (int i = from; i <= to; ++i) list->SetValue(i, backup_[static_cast<size_t>(i)] * factor + offset);
      if (OnStep) OnStep(this, step);
      Frame();
      if (stopped_ || !series_) {
        RestoreValues();
        Frame();
        return;
      }
    }
  }
  RestoreValues();
  Frame();
}

// =======================================================================================
// TClipSeriesTool

AnsiString TClipSeriesTool::Description() const { return Msg(kMsgClipSeries); }

TClipSeriesTool::~TClipSeriesTool() { Release(series_); }

void TClipSeriesTool::Release(TChartSeries* S) {
  if (!S) return;
  S->BeforeDrawValues = nullptr;
  S->AfterDrawValues = nullptr;
}

void TClipSeriesTool::SetSeries(TChartSeries* S) {
  if (S != series_) Release(series_);
  TTeeCustomToolSeries::SetSeries(S);
  if (!series_) return;
  series_->BeforeDrawValues = [this](TObject*) {
    TCustomAxisPanel* c = series_ ? series_->ParentChart() : nullptr;
    if (!c || !c->CanClip() || !series_->GetHorizAxis() || !series_->GetVertAxis()) return;
    TChartAxis* h = series_->GetHorizAxis();
    TChartAxis* v = series_->GetVertAxis();
    c->ChartCanvas()->ClipRectangle(TRect(h->IStartPos, v->IStartPos, h->IEndPos, v->IEndPos));
    clipped_ = true;
  };
  series_->AfterDrawValues = [this](TObject*) {
    if (!clipped_) return;
    clipped_ = false;
    if (TCustomAxisPanel* c = series_ ? series_->ParentChart() : nullptr) c->ChartCanvas()->UnClipRectangle();
  };
}

void TClipSeriesTool::Notification(TComponent* AComponent, TOperation Operation) {
  // A series being freed has lost its events already; it is only forgotten.
  if (Operation == TOperation::opRemove && AComponent == series_) clipped_ = false;
  TTeeCustomToolSeries::Notification(AComponent, Operation);
}

// =======================================================================================
// TDragPointTool

AnsiString TDragPointTool::Description() const { return Msg(kMsgDragPoint); }

void TDragPointTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!series_) return;
  TCustomAxisPanel* chart = series_->ParentChart();
  switch (Kind) {
    case 0:
      Point = series_->Clicked(X, Y);
      if (Point != -1 && chart) chart->CancelMouse = true;
      break;
    case 1: {
      if (Point == -1 || Point >= series_->Count()) break;
      // An axis without a range gets a tiny one, so a pixel still has a value.
      auto valueAt = [](TChartAxis* a, int Pixel) {
        if (a->Maximum() == a->Minimum()) {
          a->SetAutomaticMaximum(false);
          a->SetMaximum(a->Maximum() + 0.1 * 1e-12);
        }
        return a->CalcPosPoint(Pixel);
      };
      series_->BeginUpdate();
      if (DragStyle != dsY && series_->GetHorizAxis()) series_->SetXValue(Point, valueAt(series_->GetHorizAxis(), X));
      if (DragStyle != dsX && series_->GetVertAxis()) series_->SetYValue(Point, valueAt(series_->GetVertAxis(), Y));
      series_->EndUpdate();
      if (chart) chart->CancelMouse = true;
      if (OnDragPoint) OnDragPoint(this, Point);
      break;
    }
    case 2:
      Point = -1;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TSeriesBandTool

TSeriesBandTool::TSeriesBandTool(TComponent* AOwner)
    : TTeeCustomToolSeries(AOwner), gradient_([this](TObject*) { Repaint(); }) {
  brush_.SetColor(clWhite);
  pen_->SetVisible(false);
  MarkChartDefaults(this);
}

TSeriesBandTool::~TSeriesBandTool() {
  Unhook(series_);
  Unhook(series2_);
  if (series2_) series2_->RemoveFreeNotification(this);
}

AnsiString TSeriesBandTool::Description() const { return Msg(kMsgSeriesBand); }

void TSeriesBandTool::Hook(TChartSeries* S) {
  if (!S) return;
  S->BeforeDrawValues = [this, S](TObject*) { SeriesDrawing(S, true); };
  S->AfterDrawValues = [this, S](TObject*) { SeriesDrawing(S, false); };
}

void TSeriesBandTool::Unhook(TChartSeries* S) {
  if (!S) return;
  S->BeforeDrawValues = nullptr;
  S->AfterDrawValues = nullptr;
}

void TSeriesBandTool::SetSeries(TChartSeries* S) {
  if (S == series_) return;
  if (series_ != series2_) Unhook(series_);
  TTeeCustomToolSeries::SetSeries(S);
  Hook(series_);
  Repaint();
}

void TSeriesBandTool::SetSeries2(TChartSeries* S) {
  if (S == series2_) return;
  if (series2_) {
    if (series2_ != series_) Unhook(series2_);
    series2_->RemoveFreeNotification(this);
  }
  series2_ = S;
  if (series2_) {
    series2_->FreeNotification(this);
    Hook(series2_);
  }
  Repaint();
}

void TSeriesBandTool::Notification(TComponent* AComponent, TOperation Operation) {
  // A series being freed has lost its events already; it is only forgotten.
  if (Operation == TOperation::opRemove && AComponent == series2_) series2_ = nullptr;
  TTeeCustomToolSeries::Notification(AComponent, Operation);
}

void TSeriesBandTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code == 1) series_drawn_ = series2_drawn_ = false;
}

void TSeriesBandTool::SeriesDrawing(TChartSeries* S, bool Before) {
  if (Before != draw_behind_) return;
  if (S == series_) series_drawn_ = true;
  if (S == series2_) series2_drawn_ = true;
  if (Before ? series_drawn_ != series2_drawn_ : series_drawn_ && series2_drawn_) DrawBand();
}

std::vector<TPoint> TSeriesBandTool::BandPolygon() {
  std::vector<TPoint> p;
  if (!series_ || !series2_) return p;
  series_->CalcFirstLastVisibleIndex();
  series2_->CalcFirstLastVisibleIndex();
  if (series_->FirstValueIndex < 0 || series2_->FirstValueIndex < 0) return p;
  for (int i = series_->FirstValueIndex; i <= series_->LastValueIndex; ++i) p.push_back({series_->CalcXPos(i), series_->CalcYPos(i)});
  for (int i = series2_->LastValueIndex; i >= series2_->FirstValueIndex; --i) p.push_back({series2_->CalcXPos(i), series2_->CalcYPos(i)});
  return p;
}

void TSeriesBandTool::DrawBand() {
  if (!active_ || !parent_ || !series_ || !series2_) return;
  const std::vector<TPoint> poly = BandPolygon();
  if (poly.size() < 3) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int z = std::max(series_->StartZ, series2_->StartZ);
  const bool is3D = parent_->View3D();
  TTeeBlend* blend = nullptr;
  if (transparency_) {
    TRect b(poly[0].x, poly[0].y, poly[0].x, poly[0].y);
    for (const TPoint& q : poly) b = TRect(std::min(b.Left, q.x), std::min(b.Top, q.y), std::max(b.Right, q.x), std::max(b.Bottom, q.y));
    blend = c->BeginBlending(c->CalcRect3D(b, z), transparency_);
  }
  if (gradient_.Visible() && parent_->CanClip()) {
    gradient_.DrawPolygon(c, poly, z, is3D);
  } else {
    c->ClipRectangle(c->CalcRect3D(parent_->ChartRect, z));
    c->AssignBrushColor(&brush_, brush_.Color(), clBlack);
    c->AssignVisiblePen(pen_.get());
    if (is3D) c->PolygonWithZ(poly, z);
    else c->Polygon(poly);
    c->UnClipRectangle();
  }
  if (blend) c->EndBlending(blend);
}

// =======================================================================================
// Form resources

void RegisterExtraToolClasses() {
  using CT = TCursorTool;
  RegisterClass<TCursorTool, TTeeCustomToolSeries>("TCursorTool")
      .Bool("FollowMouse", &CT::GetFollowMouse, &CT::SetFollowMouse, false)
      .Bool("Snap", &CT::GetSnap, &CT::SetSnap, false)
      .Enum("Style", &CT::Style, &CT::SetStyle, {"cssHorizontal", "cssVertical", "cssBoth"}, cssBoth)
      .Bool("UseSeriesZ", &CT::UseSeriesZ, &CT::SetUseSeriesZ, false)
      .Event("OnChange", &CT::OnChange)
      .Event("OnSnapChange", &CT::OnSnapChange);
  using NT = TNearestTool;
  RegisterClass<TNearestTool, TTeeCustomToolSeries>("TNearestTool")
      .Bool("DrawLine", &NT::DrawLine, &NT::SetDrawLine, true)
      .Bool("FullRepaint", &NT::GetFullRepaint, &NT::SetFullRepaint, true)
      .Object("LinePen", &NT::LinePen)
      .Int("Size", &NT::Size, &NT::SetSize, 20)
      .Enum("Style", &NT::Style, &NT::SetStyle, {"hsNone", "hsCircle", "hsRectangle", "hsDiamond"}, hsCircle)
      .Event("OnChange", &NT::OnChange);
  using LT = TColorLineTool;
  RegisterClass<TColorLineTool, TTeeCustomToolAxis>("TColorLineTool")
      .Bool("AllowDrag", &LT::GetAllowDrag, &LT::SetAllowDrag, true)
      .Bool("DragRepaint", &LT::GetDragRepaint, &LT::SetDragRepaint, false)
      .Bool("Draw3D", &LT::Draw3D, &LT::SetDraw3D, true)
      .Bool("DrawBehind", &LT::DrawBehind, &LT::SetDrawBehind, false)
      .Bool("NoLimitDrag", &LT::GetNoLimitDrag, &LT::SetNoLimitDrag, false)
      .Enum("Style", &LT::Style, &LT::SetStyle, {"clCustom", "clMaximum", "clCenter", "clMinimum"}, clCustom)
      .Float("Value", &LT::Value, &LT::SetValue, 0.0)
      .Event("OnBeginDragLine", &LT::OnBeginDragLine)
      .Event("OnDragLine", &LT::OnDragLine)
      .Event("OnEndDragLine", &LT::OnEndDragLine);
  using BT = TColorBandTool;
  RegisterClass<TColorBandTool, TTeeCustomToolAxis>("TColorBandTool")
      .Int("Color", &BT::Color, &BT::SetColor, clWhite, &ui::ColorIdents())
      .Int("Cursor", &BT::GetCursor, &BT::SetCursor, crDefault)
      .Bool("DrawBehind", &BT::DrawBehind, &BT::SetDrawBehind, true)
      .Bool("DrawBehindAxes", &BT::DrawBehindAxes, &BT::SetDrawBehindAxes, false)
      .Object("EndLinePen", &BT::EndLinePen)
      .Float("EndValue", &BT::EndValue, &BT::SetEndValue, 0.0)
      .Object("Gradient", &BT::Gradient)
      .Bool("ResizeEnd", &BT::ResizeEnd, &BT::SetResizeEnd, false)
      .Bool("ResizeStart", &BT::ResizeStart, &BT::SetResizeStart, false)
      .Object("StartLinePen", &BT::StartLinePen)
      .Float("StartValue", &BT::StartValue, &BT::SetStartValue, 0.0)
      .Int("Transparency", &BT::Transparency, &BT::SetTransparency, 0)
      .Event("OnClick", &BT::OnClick);
  using DT = TDrawLineTool;
  RegisterClass<TDrawLineTool, TTeeCustomToolSeries>("TDrawLineTool")
      .Enum("Button", &DT::GetButton, &DT::SetButton, {"mbLeft", "mbRight", "mbMiddle"}, mbLeft)
      .Bool("EnableDraw", &DT::GetEnableDraw, &DT::SetEnableDraw, true)
      .Bool("EnableSelect", &DT::EnableSelect, &DT::SetEnableSelect, true)
      .DefineProperties(&DT::DefineProperties)
      .Event("OnDraggedLine", &DT::OnDraggedLine)
      .Event("OnDragLine", &DT::OnDragLine)
      .Event("OnNewLine", &DT::OnNewLine)
      .Event("OnSelect", &DT::OnSelect);
  using AT = TAxisArrowTool;
  RegisterClass<TAxisArrowTool, TTeeCustomToolAxis>("TAxisArrowTool")
      .Int("Length", &AT::Length, &AT::SetLength, 16)
      .Enum("Position", &AT::Position, &AT::SetPosition, {"aaStart", "aaEnd", "aaBoth"}, aaBoth)
      .Bool("ScrollInverted", &AT::GetScrollInverted, &AT::SetScrollInverted, false)
      .Int("ScrollPercent", &AT::GetScrollPercent, &AT::SetScrollPercent, 10)
      .Event("OnClick", &AT::OnClick);
  RegisterClass<TAxisScrollTool, TTeeCustomToolAxis>("TAxisScrollTool")
      .Bool("ScrollInverted", &TAxisScrollTool::GetScrollInverted, &TAxisScrollTool::SetScrollInverted, false);
  RegisterClass<TAnnotationShape, TTeeCustomShapePosition>("TTeeShapePosition")
      .Bool("CustomPosition", &TAnnotationShape::CustomPosition, &TAnnotationShape::SetCustomPosition, false);
  using CO = TAnnotationCallout;
  RegisterClass<TAnnotationCallout, TPersistent>("TAnnotationCallout")
      .Object("Arrow", &CO::Arrow)
      .Int("Distance", &CO::Distance, &CO::SetDistance, 0)
      .Bool("Visible", &CO::Visible, &CO::SetVisible, false)
      .Int("XPosition", &CO::XPosition, &CO::SetXPosition, 0)
      .Int("YPosition", &CO::YPosition, &CO::SetYPosition, 0)
      .Int("ZPosition", &CO::ZPosition, &CO::SetZPosition, 0);
  using NA = TAnnotationTool;
  RegisterClass<TAnnotationTool, TTeeCustomTool>("TAnnotationTool")
      .Object("Callout", &NA::Callout)
      .Bool("AutoSize", &NA::AutoSize, &NA::SetAutoSize, true)
      .Int("Cursor", &NA::GetCursor, &NA::SetCursor, crDefault)
      .Enum("Position", &NA::Position, &NA::SetPosition, {"ppLeftTop", "ppLeftBottom", "ppRightTop", "ppRightBottom"}, ppLeftTop)
      .Enum("PositionUnits", &NA::PositionUnits, &NA::SetPositionUnits, {"muPercent", "muPixels"}, muPixels)
      .Object("Shape", &NA::Shape)
      .String("Text", &NA::Text, &NA::SetText)
      .Enum("TextAlignment", &NA::TextAlignment, &NA::SetTextAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
            taLeftJustify)
      .Int("Width", &NA::Width, &NA::SetWidth, 0)
      .Int("Height", &NA::Height, &NA::SetHeight, 0)
      .Event("OnClick", &NA::OnClick);
  RegisterClass<TRectangleTool, TAnnotationTool>("TRectangleTool")
      .Event("OnDragging", &TRectangleTool::OnDragging)
      .Event("OnResizing", &TRectangleTool::OnResizing);
  using ST = TSeriesAnimationTool;
  RegisterClass<TSeriesAnimationTool, TTeeCustomToolSeries>("TSeriesAnimationTool")
      .Int("DrawEvery", &ST::GetDrawEvery, &ST::SetDrawEvery, 0)
      .Enum("Loop", &ST::GetLoop, &ST::SetLoop, {"salNo", "salOneWay", "salCircular"}, salNo)
      .Bool("StartAtMin", &ST::GetStartAtMin, &ST::SetStartAtMin, true)
      .Float("StartValue", &ST::GetStartValue, &ST::SetStartValue, 0.0)
      .Int("Steps", &ST::Steps, &ST::SetSteps, 100)
      .Event("OnStep", &ST::OnStep);
  RegisterClass<TClipSeriesTool, TTeeCustomToolSeries>("TClipSeriesTool");
  RegisterClass<TDragPointTool, TTeeCustomToolSeries>("TDragPointTool")
      .Enum("DragStyle", &TDragPointTool::GetDragStyle, &TDragPointTool::SetDragStyle, {"dsX", "dsY", "dsBoth"}, dsBoth)
      .Event("OnDragPoint", &TDragPointTool::OnDragPoint);
  using SB = TSeriesBandTool;
  RegisterClass<TSeriesBandTool, TTeeCustomToolSeries>("TSeriesBandTool")
      .Bool("DrawBehindSeries", &SB::DrawBehindSeries, &SB::SetDrawBehindSeries, true)
      .Object("Gradient", &SB::Gradient)
      .Component("Series2", &SB::Series2, &SB::SetSeries2)
      .Int("Transparency", &SB::Transparency, &SB::SetTransparency, 0);
  RegisterChartTools({"TCursorTool", "TAxisArrowTool", "TDrawLineTool", "TNearestTool", "TColorBandTool", "TColorLineTool",
                      "TAnnotationTool", "TSeriesAnimationTool", "TAxisScrollTool", "TRectangleTool", "TClipSeriesTool",
                      "TDragPointTool", "TSeriesBandTool"});
}
