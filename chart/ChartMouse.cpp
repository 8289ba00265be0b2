// The chart's mouse handling: clicks on its parts, the tools' mouse hooks, the rubber-band
// zoom, panning by dragging the axis ranges, undoing a zoom, and wheel scrolling.
#include <cmath>

#include "chart/Chart.h"
#include "platform/stdctrls/WidgetHooks.h"

double TeeZoomAnimationDivisor = 3.0;
TShiftState TeeScrollKeyShift;
bool TeeUseMouseWheel = true;

namespace {

bool HoldsAll(TShiftState Shift, TShiftState Keys) { return (Shift * Keys) == Keys; }

}  // namespace

void TCustomChart::RepaintOverlay() { TControl::Invalidate(); }

void TCustomChart::MouseLeft() {
  // The panel's own handling first: the cursor a tool or series set goes back, and a
  // panning drag ends (the button may be let go outside, where the chart never hears it).
  if (Cursor() != OriginalCursor()) SetCursor(OriginalCursor());
  Panning()->Active = false;
  tools_.BroadcastDraw(5);
}

void TCustomChart::InitWidget() {
  TCustomAxisPanel::InitWidget();
  ui::TWidgetHooks h;
  h.MouseLeave = [this] { MouseLeft(); };
  ui::InstallWidgetHooks(this, std::move(h));
}

void TCustomChart::PaintOverlay(TCanvas* C) {
  if (Zoom()->Active) DrawZoomRectangle(C);
  tools_.DrawOverlays(C);
}

void TCustomChart::SaveAxes() {
  if (!saved_axes_.empty()) return;
  for (TChartAxis* a : Axes()) {
    if (a->IsDepthAxis) continue;
    saved_axes_.push_back({a, a->Automatic(), a->AutomaticMinimum(), a->AutomaticMaximum(), a->Minimum(), a->Maximum()});
  }
  // A chart without plain axes still remembers that something changed.
  if (saved_axes_.empty()) saved_axes_.push_back({nullptr, true, true, true, 0, 0});
}

void TCustomChart::UndoZoom() {
  if (!saved_axes_.empty()) {
    const std::vector<TSavedAxis> saved = std::move(saved_axes_);
    saved_axes_.clear();
    for (const TSavedAxis& s : saved) {
      if (!s.Axis) continue;
      s.Axis->SetMinMax(s.Minimum, s.Maximum);
      // Setting the limits switches the automatic flags off; give the saved ones back.
      s.Axis->SetAutomatic(s.Automatic);
      s.Axis->SetAutomaticMinimum(s.AutomaticMinimum);
      s.Axis->SetAutomaticMaximum(s.AutomaticMaximum);
    }
  }
  TCustomTeePanelExtended::UndoZoom();
}

void TCustomChart::ZoomToLimits(double TopMin, double TopMax, double BottomMin, double BottomMax, double LeftMin,
                                double LeftMax, double RightMin, double RightMax) {
  SaveAxes();
  struct Target {
    TChartAxis* Axis;
    double Min, Max;
  };
  const Target targets[] = {
      {LeftAxis(), LeftMin, LeftMax}, {RightAxis(), RightMin, RightMax}, {TopAxis(), TopMin, TopMax}, {BottomAxis(), BottomMin, BottomMax}};
  if (Zoom()->Animated) {
    const double d = TeeZoomAnimationDivisor != 0 ? TeeZoomAnimationDivisor : 3.0;
    for (int step = 1; step < Zoom()->AnimatedSteps; ++step) {
      for (const Target& t : targets)
        t.Axis->SetMinMax(t.Axis->Minimum() + (t.Min - t.Axis->Minimum()) / d, t.Axis->Maximum() - (t.Axis->Maximum() - t.Max) / d);
      Invalidate();
      Update();
    }
  }
  for (const Target& t : targets) t.Axis->SetMinMax(t.Min, t.Max);
  Zoomed = true;
  if (OnZoom) OnZoom(this);
}

void TCustomChart::ZoomToRectangle() {
  TTeeZoom* z = Zoom();
  z->Check();
  // A one-direction zoom spans the chart rectangle across the drag, which reaches past the
  // axes' own pixel span (and their margins); the axes across the drag keep their limits,
  // so that they show the same range as before.
  auto horiz = [&](TChartAxis* a, double& Min, double& Max) {
    if (z->Direction == tzdVertical) Min = a->Minimum(), Max = a->Maximum();
    else Min = a->PixelToValue(z->X0), Max = a->PixelToValue(z->X1);
  };
  auto vert = [&](TChartAxis* a, double& Min, double& Max) {
    if (z->Direction == tzdHorizontal) Min = a->Minimum(), Max = a->Maximum();
    else Min = a->PixelToValue(z->Y1), Max = a->PixelToValue(z->Y0);
  };
  double tMin, tMax, bMin, bMax, lMin, lMax, rMin, rMax;
  horiz(TopAxis(), tMin, tMax);
  horiz(BottomAxis(), bMin, bMax);
  vert(LeftAxis(), lMin, lMax);
  vert(RightAxis(), rMin, rMax);
  ZoomToLimits(tMin, tMax, bMin, bMax, lMin, lMax, rMin, rMax);
}

bool TCustomChart::DragStart(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!SeriesUseAxes()) return false;
  bool started = false;
  TTeeZoom* z = Zoom();
  if (z->Allow && Button == z->MouseButton && HoldsAll(Shift, z->KeyShift)) {
    int x = X, y = Y;
    if (z->Direction == tzdVertical) x = ChartRect.Left;
    if (z->Direction == tzdHorizontal) y = ChartRect.Top;
    z->Activate(x, y);
    if (z->Direction == tzdVertical) z->X1 = ChartRect.Right;
    if (z->Direction == tzdHorizontal) z->Y1 = ChartRect.Bottom;
    RepaintOverlay();
    started = true;
  }
  if (AllowPanning() != pmNone && Button == ScrollMouseButton && HoldsAll(Shift, TeeScrollKeyShift)) {
    Panning()->Activate(X, Y);
    started = true;
  }
  if (started) SetCursor(OriginalCursor());
  return started;
}

void TCustomChart::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomTeePanel::MouseDown(Button, Shift, X, Y);
  if (CancelMouse || Zoom()->Active || Panning()->Active) return;
  CancelMouse = false;
  tools_.BroadcastMouse(0, Button, Shift, X, Y);
  if (CancelMouse) {
    CancelMouse = false;
    return;
  }
  const TChartClickedPart part = CalcClickedPart(X, Y, true);
  bool handled = false;
  auto fire = [&](auto& event, auto... args) {
    if (!event) return false;
    CancelMouse = true;
    event(this, args...);
    handled = CancelMouse;
    return true;
  };
  switch (part.Part) {
    case cpLegend:
      handled = Legend()->DoMouseCheckBox(X, Y);
      fire(OnClickLegend, Button, Shift, X, Y);
      break;
    case cpAxis:
      fire(OnClickAxis, part.AAxis, Button, Shift, X, Y);
      if (!handled) handled = DragStart(Button, Shift, X, Y);
      break;
    case cpSeries: {
      CancelMouse = false;
      TChartSeries* s = part.ASeries;
      const TSeriesClick& own = Shift.Contains(ssDouble) ? s->OnDblClick : s->OnClick;
      if (own) own(s, part.PointIndex, Button, Shift, X, Y);
      handled = CancelMouse;
      fire(OnClickSeries, part.ASeries, part.PointIndex, Button, Shift, X, Y);
      if (!handled) handled = DragStart(Button, Shift, X, Y);
      break;
    }
    case cpTitle:
    case cpFoot:
    case cpSubTitle:
    case cpSubFoot: {
      TChartTitle* t = part.Part == cpTitle ? Title() : part.Part == cpFoot ? Foot() : part.Part == cpSubTitle ? SubTitle() : SubFoot();
      fire(OnClickTitle, t, Button, Shift, X, Y);
      if (!handled) handled = DragStart(Button, Shift, X, Y);
      break;
    }
    case cpChartRect:
      fire(OnClickBackground, Button, Shift, X, Y);
      if (!handled) handled = DragStart(Button, Shift, X, Y);
      break;
    default:
      break;
  }
  if (part.Part != cpChartRect && !handled && OnClickBackground) {
    CancelMouse = true;
    OnClickBackground(this, Button, Shift, X, Y);
  }
  CancelMouse = false;
}

void TCustomChart::TrackSeriesUnderMouse(int X, int Y) {
  bool found = false;
  auto& list = SeriesList();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    TChartSeries* s = *it;
    if (!s->Active() || (s->Cursor() == crDefault && !s->OnMouseEnter && !s->OnMouseLeave)) continue;
    if (s->Clicked(X, Y) != -1) {
      found = true;
      if (s->Cursor() != crDefault) SetCursor(s->Cursor());
      if (!s->MouseInside) {
        s->MouseInside = true;
        if (s->OnMouseEnter) s->OnMouseEnter(s);
      }
    } else if (s->MouseInside) {
      s->MouseInside = false;
      if (s->OnMouseLeave) s->OnMouseLeave(s);
    }
  }
  if (!found && Cursor() != OriginalCursor()) SetCursor(OriginalCursor());
}

bool TCustomChart::PanAxes(bool Horizontal, int New, int Old) {
  if (New == Old) return false;
  const TPanningMode m = AllowPanning();
  if (m != pmBoth && m != (Horizontal ? pmHorizontal : pmVertical)) return false;
  for (TChartAxis* a : Axes()) {
    if (a->IsDepthAxis || a->Horizontal != Horizontal) continue;
    const double delta = a->PixelToValue(Old) - a->PixelToValue(New);
    double mn = a->Minimum() + delta, mx = a->Maximum() + delta;
    bool allow = true;
    if (OnAllowScroll) OnAllowScroll(a, mn, mx, allow);
    if (allow) a->SetMinMax(mn, mx);
  }
  return true;
}

void TCustomChart::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomTeePanel::MouseMove(Shift, X, Y);
  if (!HasState(csDesigning)) {
    CancelMouse = false;
    tools_.BroadcastMouse(1, mbLeft, Shift, X, Y);
  }
  if (CancelMouse) return;
  TTeeZoom* z = Zoom();
  if (z->Active) {
    if (z->Direction == tzdVertical) X = ChartRect.Right;
    if (z->Direction == tzdHorizontal) Y = ChartRect.Bottom;
    if (X != z->X1 || Y != z->Y1) {
      z->X1 = X;
      z->Y1 = Y;
      RepaintOverlay();
    }
    return;
  }
  TZoomPanning* p = Panning();
  if (!p->Active) {
    TrackSeriesUnderMouse(X, Y);
    return;
  }
  if (!PointInRect(ChartRect, X, Y)) {
    p->Active = false;
    return;
  }
  if (X == p->X1 && Y == p->Y1) return;
  SaveAxes();
  const bool h = PanAxes(true, X, p->X1);
  const bool v = PanAxes(false, Y, p->Y1);
  p->X1 = X;
  p->Y1 = Y;
  if (h || v) {
    if (OnScroll) OnScroll(this);
    Invalidate();
  }
}

void TCustomChart::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  CancelMouse = false;
  TCustomTeePanel::MouseUp(Button, Shift, X, Y);
  TTeeZoom* z = Zoom();
  if (z->Active && Button == z->MouseButton) {
    z->Active = false;
    RepaintOverlay();
    if (z->Direction != tzdHorizontal) z->Y1 = Y;
    if (z->Direction != tzdVertical) z->X1 = X;
    const bool wide = std::abs(z->X1 - z->X0) > z->MinimumPixels, tall = std::abs(z->Y1 - z->Y0) > z->MinimumPixels;
    const bool big = z->Direction == tzdVertical ? tall : z->Direction == tzdHorizontal ? wide : wide && tall;
    if (big) {
      if (z->UpLeftZooms || z->X1 > z->X0)
        ZoomToRectangle();
      else
        UndoZoom();
      Invalidate();
    }
  }
  Panning()->Active = false;
  tools_.BroadcastMouse(2, Button, Shift, X, Y);
}

void TCustomChart::WheelScroll(bool Down) {
  bool any = false;
  for (TChartAxis* a : Axes())
    if (!a->Horizontal && !a->IsDepthAxis) any = true;
  if (!any) return;
  // Saved first so that an undo gives the axes their automatic limits back.
  SaveAxes();
  for (TChartAxis* a : Axes()) {
    if (a->Horizontal || a->IsDepthAxis) continue;
    double offset = (a->Maximum() - a->Minimum()) * 3 * 0.01;
    if (!Down) offset = -offset;
    a->Scroll(offset, false);
  }
}

bool TCustomChart::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  const bool handled = TCustomAxisPanel::DoMouseWheel(Shift, WheelDelta, MousePos);
  if (TeeUseMouseWheel) {
    // One step per notch; a fine-grained wheel adds up its parts to whole notches.
    wheel_rest_ += WheelDelta;
    while (wheel_rest_ >= 120) {
      wheel_rest_ -= 120;
      WheelScroll(false);
    }
    while (wheel_rest_ <= -120) {
      wheel_rest_ += 120;
      WheelScroll(true);
    }
  }
  return handled;
}
