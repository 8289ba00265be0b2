#pragma once
// A value read-out of the data logger: the channel's name over its value and unit, on a
// dark face in the channel's colour (the font colour).
#include "gauges/_GClass.h"

class TLogReadout : public TAbAnalogGControl {
 public:
  explicit TLogReadout(TComponent* AOwner);
  const char* ClassName() const override { return "TLogReadout"; }
  void Paint() override;
  void SettingsChanged() override;
  void ValueChanged() override;
  // The text shown for the value: the signal's format and unit.
  AnsiString ValueLine();
};

// Registers TLogReadout for form resources; later calls do nothing.
void RegisterLogReadoutClasses();
