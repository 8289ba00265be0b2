// Form-resource registration of the gauge widgets.
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "gauges/AbNumEdit.h"

void RegisterGaugeControls() {
  RegisterNumEditClasses();
  RegisterBarClasses();
  RegisterLEDClasses();
}
