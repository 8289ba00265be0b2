// The axis arrow tool (arrows at an axis' ends that scroll it) and the axis scroll tool
// (dragging an axis moves its range).
#include "chart/TeeToolsExtra.h"

#include "chart/TeeToolsCommon.h"

using namespace teetools;

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
