#pragma once
// A numeric entry with spin buttons: an edit that holds a number between Min and Max,
// stepped by Increment with the Up and Down keys or the two buttons on its right.
#include "gauges/GaugeClasses.h"
#include "platform/stdctrls/Edits.h"

class TAbNumSpin : public TCustomEdit {
 public:
  explicit TAbNumSpin(TComponent* AOwner);
  const char* ClassName() const override { return "TAbNumSpin"; }

  double Value() const { return value_; }
  // Clamps into [Min, Max] and shows the value with Digits decimals.
  void SetValue(double v);
  double Increment() const { return increment_; }
  void SetIncrement(double v) { increment_ = v; }
  double Min() const { return min_; }
  void SetMin(double v);
  double Max() const { return max_; }
  void SetMax(double v);
  int Digits() const { return digits_; }
  void SetDigits(int v);

  // One step up (+1) or down (-1).
  void Step(int Direction);
  TNotifyEvent OnChange;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  void ShowValue();
  double value_ = 0, increment_ = 1, min_ = 0, max_ = 100;
  int digits_ = 0;
};

void RegisterNumSpinClass();
