#include "gauges/AbNumEdit.h"

#include <algorithm>
#include <cmath>

#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Keys.h"
#include "platform/ui/UiStreaming.h"

TAbNumSpin::TAbNumSpin(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 80, 21);
  ShowValue();
}

void TAbNumSpin::SetValue(double v) {
  if (!std::isfinite(v)) v = min_;
  v = std::clamp(v, min_, max_);
  const bool changed = v != value_;
  value_ = v;
  ShowValue();
  if (changed && OnChange) OnChange(this);
}

void TAbNumSpin::SetMin(double v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  SetValue(value_);
}

void TAbNumSpin::SetMax(double v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  SetValue(value_);
}

void TAbNumSpin::SetDigits(int v) {
  digits_ = std::clamp(v, 0, 15);
  ShowValue();
}

void TAbNumSpin::Step(int Direction) { SetValue(value_ + Direction * increment_); }

void TAbNumSpin::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    Step(Key == VK_UP ? 1 : -1);
    Key = 0;
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

// A typed number is taken when the edit is left; anything else shows the value again.
void TAbNumSpin::DoExit() {
  double v = 0;
  if (TryStrToFloat(Text(), v))
    SetValue(v);
  else
    ShowValue();
  TCustomEdit::DoExit();
}

void TAbNumSpin::ShowValue() { SetText(FloatToStrF(value_, ffFixed, 15, digits_)); }

void RegisterNumSpinClass() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterStdCtrlsClasses();
    // Limits first, so that Value is clamped to the limits stored beside it.
    RegisterClass<TAbNumSpin, TCustomEdit>("TAbNumSpin")
        .Float("Min", &TAbNumSpin::Min, &TAbNumSpin::SetMin, 0)
        .Float("Max", &TAbNumSpin::Max, &TAbNumSpin::SetMax, 100)
        .Float("Increment", &TAbNumSpin::Increment, &TAbNumSpin::SetIncrement, 1)
        .Int("Digits", &TAbNumSpin::Digits, &TAbNumSpin::SetDigits, 0)
        .Float("Value", &TAbNumSpin::Value, &TAbNumSpin::SetValue, 0)
        .Event("OnChange", &TAbNumSpin::OnChange);
    return true;
  }();
  (void)done;
}
