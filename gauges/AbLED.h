#pragma once
// A lamp with its caption beside it: the lamp is lit in ColorOn while Checked, dark in
// ColorOff otherwise; the caption is written in the control's font to the lamp's right.
// Clicks reach OnClick; the lamp does not switch itself, its owner decides what it shows.
#include "platform/ui/Controls.h"

class TAbLED : public TGraphicControl {
 public:
  explicit TAbLED(TComponent* AOwner);
  const char* ClassName() const override { return "TAbLED"; }

  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  TColor ColorOn() const { return color_on_; }
  void SetColorOn(TColor v);
  TColor ColorOff() const { return color_off_; }
  void SetColorOff(TColor v);
  // Gap between lamp and caption.
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);

  // The lamp's rectangle: a circle at the left edge, centred vertically.
  TRect LampRect() const;
  void Paint() override;

  static constexpr int kLampSize = 13;

 private:
  bool checked_ = false;
  TColor color_on_ = clRed, color_off_ = clMaroon;
  int spacing_ = 5;
};

// Registers TAbLED for form resources; later calls do nothing.
void RegisterLEDClasses();
