#include "ecu/Diag.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Timer.h"

TDiagForm* DiagForm = nullptr;

void TDiagForm::Publish(TClassProps<TDiagForm>& P) {
  P.Field("Memo1", &TDiagForm::Memo1)
      .Field("TelltaleBox", &TDiagForm::TelltaleBox)
      .Field("TelltaleLock", &TDiagForm::TelltaleLock)
      .Field("TelltaleClear", &TDiagForm::TelltaleClear)
      .Field("BitBtn1", &TDiagForm::BitBtn1)
      .Field("airtemp", &TDiagForm::airtemp)
      .Field("airtempUnit", &TDiagForm::airtempUnit)
      .Field("coolanttemp", &TDiagForm::coolanttemp)
      .Field("coolanttempUnit", &TDiagForm::coolanttempUnit)
      .Field("AuxTemp", &TDiagForm::AuxTemp)
      .Field("AuxTempUnit", &TDiagForm::AuxTempUnit)
      .Field("EGTTemp", &TDiagForm::EGTTemp)
      .Field("EGTTempUnit", &TDiagForm::EGTTempUnit)
      .Field("inlet", &TDiagForm::inlet)
      .Field("inletUnit", &TDiagForm::inletUnit)
      .Field("boostactual", &TDiagForm::boostactual)
      .Field("boostactualUnit", &TDiagForm::boostactualUnit)
      .Field("boosttarget", &TDiagForm::boosttarget)
      .Field("boosttargetUnit", &TDiagForm::boosttargetUnit)
      .Field("TCSpeed", &TDiagForm::TCSpeed)
      .Field("TCSpeedUnit", &TDiagForm::TCSpeedUnit)
      .Field("Timer1", &TDiagForm::Timer1)
      .Handler("Timer1Timer", &TDiagForm::Timer1Timer);
}

void TDiagForm::Timer1Timer(TObject*) {}
