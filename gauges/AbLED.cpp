#include "gauges/AbLED.h"

#include <algorithm>

TAbLED::TAbLED(TComponent* AOwner) : TAbBinGControl(AOwner) {
  led_.OnChange = [this](TObject*) { TextChangedHook(); };
  SetBounds(0, 0, 73, 33);
}

TAbLED::~TAbLED() {
  led_.OnChange = nullptr;
  RemoveFlashClient(this);
}

void TAbLED::SetLED_Position(TLEDPos v) {
  if (v == position_) return;
  position_ = v;
  TextChangedHook();
}

void TAbLED::SetSpacing(int v) {
  if (v == spacing_) return;
  spacing_ = v;
  TextChangedHook();
}

void TAbLED::StateChanged() {
  lit_ = Checked();
  Invalidate();
}

void TAbLED::BlinkPhase(bool On) {
  if (painting_) return;
  lit_ = On;
  Invalidate();
}

TRect TAbLED::LampRect() {
  int lw = led_.Width(), lh = led_.Height();
  if (led_.Shape() == sRound) lw = lh = std::max(lw, lh);
  const int cx = Width() / 2, cy = Height() / 2;
  switch (position_) {
    case lpRight: return TRect(Width() - lw, cy - lh / 2, Width(), cy - lh / 2 + lh);
    case lpTop: return TRect(cx - lw / 2, 0, cx - lw / 2 + lw, lh);
    case lpBottom: return TRect(cx - lw / 2, Height() - lh, cx - lw / 2 + lw, Height());
    case lpLeft:
    default: return TRect(0, cy - lh / 2, lw, cy - lh / 2 + lh);
  }
}

void TAbLED::Paint() {
  if (painting_) return;
  painting_ = true;
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  const TRect lamp = LampRect();
  const int cx = Width() / 2, cy = Height() / 2;
  switch (position_) {
    case lpLeft: MultiLineTextOut(c, lamp.Right + spacing_, cy, 3, Caption(), 0); break;
    case lpRight: MultiLineTextOut(c, lamp.Left - spacing_, cy, 5, Caption(), 0); break;
    case lpTop: MultiLineTextOut(c, cx, lamp.Bottom + spacing_, 1, Caption(), 0); break;
    case lpBottom: MultiLineTextOut(c, cx, lamp.Top - spacing_, 7, Caption(), 0); break;
  }
  c->Brush()->SetStyle(bsSolid);
  led_.LampRect = lamp;
  led_.Paint(c, lit_);
  painting_ = false;
}
