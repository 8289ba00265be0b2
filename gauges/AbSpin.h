#pragma once
// Speed buttons that repeat their click while held, driven by the gauge timer, and the
// up/down pair of them that the numeric spin carries at its right edge.
#include "platform/stdctrls/Buttons.h"

class TAbTimerSpeedBtn : public TSpeedButton {
 public:
  explicit TAbTimerSpeedBtn(TComponent* AOwner);
  ~TAbTimerSpeedBtn() override;
  const char* ClassName() const override { return "TAbTimerSpeedBtn"; }
  int Interval() const { return interval_; }
  // Below 50 ms is ignored.
  void SetInterval(int v);
  uint32_t StartDelay() const { return start_delay_; }
  void SetStartDelay(uint32_t v) { start_delay_ = v; }
  bool TimerEnabled() const { return timer_enabled_; }
  void SetTimerEnabled(bool v) { timer_enabled_ = v; }

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;

 private:
  int interval_ = 100;
  uint32_t start_delay_ = 500;
  bool timer_enabled_ = true;
  uint64_t repeat_start_ = 0;
};

class TAbSpinButton : public TWinControl {
 public:
  explicit TAbSpinButton(TComponent* AOwner);
  const char* ClassName() const override { return "TAbSpinButton"; }
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* v);
  TAbTimerSpeedBtn* UpButton() const { return up_; }
  TAbTimerSpeedBtn* DownButton() const { return down_; }
  // nullptr loads the built-in arrow.
  void SetUpGlyph(TBitmap* v);
  void SetDownGlyph(TBitmap* v);
  int UpNumGlyphs() const { return up_->NumGlyphs(); }
  void SetUpNumGlyphs(int v) { up_->SetNumGlyphs(v); }
  int DownNumGlyphs() const { return down_->NumGlyphs(); }
  void SetDownNumGlyphs(int v) { down_->SetNumGlyphs(v); }
  uint32_t StartDelay() const { return up_->StartDelay(); }
  void SetStartDelay(uint32_t v);
  int Interval() const { return up_->Interval(); }
  void SetInterval(int v);
  TNotifyEvent OnUpClick, OnDownClick;

  void SetEnabled(bool v) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Loaded() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Layout();
  void FocusOnPress(TMouseButton Button);
  TAbTimerSpeedBtn* up_;
  TAbTimerSpeedBtn* down_;
  TWinControl* focus_control_ = nullptr;
};
