#include "config/TempCalculator.h"

#include "controls/AdvSpin.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"

TTempCalc* TempCalc = nullptr;

void TTempCalc::Publish(TClassProps<TTempCalc>& P) {
  P.Field("SensorCaption", &TTempCalc::SensorCaption)
      .Field("SensorVoltage", &TTempCalc::SensorVoltage)
      .Field("Measure1", &TTempCalc::Measure1)
      .Field("Measure2", &TTempCalc::Measure2)
      .Field("Measure3", &TTempCalc::Measure3)
      .Field("Temp1", &TTempCalc::Temp1)
      .Field("Temp2", &TTempCalc::Temp2)
      .Field("Temp3", &TTempCalc::Temp3)
      .Field("TempUnit1", &TTempCalc::TempUnit1)
      .Field("TempUnit2", &TTempCalc::TempUnit2)
      .Field("TempUnit3", &TTempCalc::TempUnit3)
      .Field("TempRange", &TTempCalc::TempRange)
      .Field("Label14", &TTempCalc::Label14)
      .Field("Label18", &TTempCalc::Label18)
      .Field("Label22", &TTempCalc::Label22)
      .Field("OKBtn", &TTempCalc::OKBtn)
      .Field("CancelBtn", &TTempCalc::CancelBtn);
}
