#pragma once
// A plain bar gauge: the bar of its BarSettings (style, sectors, value text) inside an
// outer bevel. A value change redraws only the bar; the control grows to the least size
// its bevels and bar need, never shrinks.
#include "gauges/_GClass.h"

class TAbBar : public TAbAnalogGControl {
 public:
  explicit TAbBar(TComponent* AOwner);
  ~TAbBar() override;
  const char* ClassName() const override { return "TAbBar"; }
  TBarSettings* BarSettings() { return &bar_; }
  TAbSBevel* BevelOuter() { return &bevel_; }

  void Loaded() override;
  void SettingsChanged() override;
  void ValueChanged() override;
  void Paint() override;
  // The bar's rectangle after the last layout.
  TRect BarRect() const { return bar_.BarRect; }

 private:
  void Layout();
  TBarSettings bar_;
  TAbSBevel bevel_;
};
