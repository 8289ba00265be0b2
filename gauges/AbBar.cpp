#include "gauges/AbBar.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Canvas.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TAbBar::TAbBar(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 164, 28); }

void TAbBar::SetValue(double v) {
  if (!std::isfinite(v) || v == value_) return;
  value_ = v;
  Invalidate();
}

void TAbBar::SetValueFrom(double v) {
  if (!std::isfinite(v) || v == from_) return;
  from_ = v;
  Invalidate();
}

void TAbBar::SetValueTo(double v) {
  if (!std::isfinite(v) || v == to_) return;
  to_ = v;
  Invalidate();
}

void TAbBar::SetBarColor(TColor v) {
  if (v == bar_color_) return;
  bar_color_ = v;
  Invalidate();
}

int TAbBar::TrackOffset(double v, int length) const {
  const double lo = std::min(from_, to_), hi = std::max(from_, to_);
  const double f = (std::clamp(v, lo, hi) - from_) / (to_ - from_);
  return static_cast<int>(std::lround(f * length));
}

TRect TAbBar::BarRect() const {
  const TRect track(kBevel, kBevel, Width() - kBevel, Height() - kBevel);
  if (from_ == to_ || track.Right <= track.Left || track.Bottom <= track.Top) return TRect(0, 0, 0, 0);
  const bool vertical = Height() > Width();
  const int length = vertical ? track.Bottom - track.Top : track.Right - track.Left;
  int a = TrackOffset(0, length), b = TrackOffset(value_, length);
  if (a > b) std::swap(a, b);
  // Vertical bars grow upwards from the bottom of the track.
  if (vertical) return TRect(track.Left, track.Bottom - b, track.Right, track.Bottom - a);
  return TRect(track.Left + a, track.Top, track.Left + b, track.Bottom);
}

void TAbBar::Paint() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  c->Pen()->SetWidth(1);
  // Lowered bevel: shadow on the top and left edges, highlight on the bottom and right.
  for (int i = 0; i < kBevel; ++i) {
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(i, h - 1 - i);
    c->LineTo(i, i);
    c->LineTo(w - 1 - i, i);
    c->Pen()->SetColor(clBtnHighlight);
    c->LineTo(w - 1 - i, h - 1 - i);
    c->LineTo(i, h - 1 - i);
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBlack);
  c->FillRect(TRect(kBevel, kBevel, w - kBevel, h - kBevel));
  const TRect bar = BarRect();
  if (bar.Right > bar.Left && bar.Bottom > bar.Top) {
    c->Brush()->SetColor(bar_color_);
    c->FillRect(bar);
  }
}

void RegisterBarClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    // The range first, so that a stored value is drawn against the range stored with it.
    RegisterClass<TAbBar, TGraphicControl>("TAbBar")
        .Float("ValueFrom", &TAbBar::ValueFrom, &TAbBar::SetValueFrom, 0)
        .Float("ValueTo", &TAbBar::ValueTo, &TAbBar::SetValueTo, 255)
        .Float("Value", &TAbBar::Value, &TAbBar::SetValue, 0)
        .Int("BarColor", &TAbBar::BarColor, &TAbBar::SetBarColor, clLime, &ui::ColorIdents());
    return true;
  }();
  (void)done;
}
