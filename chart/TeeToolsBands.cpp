// The colour line tool (a line across the chart at an axis value, dragged with the mouse)
// and the colour band tool (a stripe between two axis values, with draggable edges).
#include "chart/TeeToolsExtra.h"

#include "chart/TeeToolsCommon.h"

using namespace teetools;

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
