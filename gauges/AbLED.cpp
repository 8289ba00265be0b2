#include "gauges/AbLED.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TAbLED::TAbLED(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 73, 33); }

void TAbLED::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Invalidate();
}

void TAbLED::SetColorOn(TColor v) {
  if (v == color_on_) return;
  color_on_ = v;
  Invalidate();
}

void TAbLED::SetColorOff(TColor v) {
  if (v == color_off_) return;
  color_off_ = v;
  Invalidate();
}

void TAbLED::SetSpacing(int v) {
  if (v == spacing_) return;
  spacing_ = v;
  Invalidate();
}

TRect TAbLED::LampRect() const {
  const int d = std::max(1, std::min(kLampSize, Height()));
  const int top = Height() / 2 - d / 2;
  return TRect(0, top, d, top + d);
}

void TAbLED::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  const TRect lamp = LampRect();
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(checked_ ? color_on_ : color_off_);
  c->Ellipse(lamp);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(lamp.Right + spacing_, Height() / 2 - c->TextHeight(Caption()) / 2, Caption());
}

void RegisterLEDClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterClass<TAbLED, TGraphicControl>("TAbLED")
        .Bool("Checked", &TAbLED::Checked, &TAbLED::SetChecked, false)
        .Int("ColorOn", &TAbLED::ColorOn, &TAbLED::SetColorOn, clRed, &ui::ColorIdents())
        .Int("ColorOff", &TAbLED::ColorOff, &TAbLED::SetColorOff, clMaroon, &ui::ColorIdents())
        .Int("Spacing", &TAbLED::Spacing, &TAbLED::SetSpacing, 5);
    return true;
  }();
  (void)done;
}
