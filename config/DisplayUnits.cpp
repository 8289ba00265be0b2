#include "config/DisplayUnits.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"

TUnitsForm* UnitsForm = nullptr;

void TUnitsForm::Publish(TClassProps<TUnitsForm>& P) {
  P.Field("UnitsTemperature", &TUnitsForm::UnitsTemperature)
      .Field("UnitsPressure", &TUnitsForm::UnitsPressure)
      .Field("UnitsSpeed", &TUnitsForm::UnitsSpeed)
      .Field("UnitsDistance", &TUnitsForm::UnitsDistance)
      .Field("UnitsO2", &TUnitsForm::UnitsO2)
      .Field("OKBtn", &TUnitsForm::OKBtn)
      .Field("CancelBtn", &TUnitsForm::CancelBtn);
}
