#pragma once
// A lamp with its caption beside it (left, right, above or below). It shows Checked, or
// while Checked and Flashing the blink phase of the gauge timer. Clicks reach OnClick;
// in the indicator mode (the default) the mouse does not switch the lamp.
#include "gauges/_GBinCtrl.h"
#include "gauges/_GClass.h"

enum TLEDPos { lpLeft, lpRight, lpTop, lpBottom };

class TAbLED : public TAbBinGControl {
 public:
  explicit TAbLED(TComponent* AOwner);
  ~TAbLED() override;
  const char* ClassName() const override { return "TAbLED"; }
  TLED* LED() { return &led_; }
  TLEDPos LED_Position() const { return position_; }
  void SetLED_Position(TLEDPos v);
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);
  // Whether the lamp shows lit now (Checked, or the blink phase while flashing).
  bool LampLit() const { return lit_; }
  // The lamp's rectangle for the current size and position.
  TRect LampRect();

  void Paint() override;
  void TextChangedHook() override { Invalidate(); }
  void StateChanged() override;
  void BlinkPhase(bool On) override;

 private:
  TLED led_;
  TLEDPos position_ = lpLeft;
  int spacing_ = 5;
  bool lit_ = false;
  bool painting_ = false;
};
