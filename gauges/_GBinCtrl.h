#pragma once
// The base of the on/off gauges (LEDs, switches): one Boolean state tied to one bit of a
// status word, a mouse mode (push button, switch, indicator, radio button), groups kept
// in step, and blinking through the gauge timer. The widgets paint in the hooks.
#include "gauges/AbFlashT.h"

enum TMode { mButton, mSwitch, mIndicator, mRadioButton };

class TAbBinGControl : public TGraphicControl {
 public:
  explicit TAbBinGControl(TComponent* AOwner);
  ~TAbBinGControl() override;
  const char* ClassName() const override { return "TAbBinGControl"; }

  bool Checked() const { return checked_; }
  void SetChecked(bool b);
  TFlashFreq Frequency() const { return frequency_; }
  void SetFrequency(TFlashFreq f);
  bool Flashing() const { return flashing_; }
  void SetFlashing(bool b);
  int32_t StatusInt() const { return status_int_; }
  void SetStatusInt(int32_t w);
  int StatusBit() const { return status_bit_; }
  // 0..31; other bits are ignored.
  void SetStatusBit(int n);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int g);
  TMode Mode() const { return mode_; }
  void SetMode(TMode m);
  bool Pressed() const { return pressed_; }
  // Index of the lowest set bit of StatusInt, 32 when none.
  int LowestSetBit() const { return lowest_bit_; }

  TNotifyEvent OnStatusChanged, OnStatusIntChanged;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;
  // Brought onto the screen, a flashing control lets its blink run again.
  void ShowingChanged(bool OnScreen) override;

  // Hooks for the widgets.
  virtual void TextChangedHook() {}
  virtual void StateChanged() {}
  virtual void GroupIndexChanged() {}
  virtual void StatusIntChanged() {}
  virtual void BlinkPhase(bool /*On*/) {}

 protected:
  void TextChanged() override;
  void UpdateFlashing();

 private:
  bool checked_ = false;
  TFlashFreq frequency_ = ff1Hz;
  bool flashing_ = false;
  int32_t status_int_ = 0;
  int status_bit_ = 0;
  int group_index_ = 0;
  TMode mode_ = mIndicator;
  bool pressed_ = false;
  int lowest_bit_ = 32;
};
