#include "config/DisplayUnits.h"

#include "app/Main.h"
#include "link/LiveData.h"
#include "logger/logger.h"
#include "model/Settings.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"

TUnitsForm* UnitsForm = nullptr;

void TUnitsForm::Publish(TClassProps<TUnitsForm>& P) {
  P.Field("UnitsTemperature", &TUnitsForm::UnitsTemperature)
      .Field("UnitsPressure", &TUnitsForm::UnitsPressure)
      .Field("UnitsSpeed", &TUnitsForm::UnitsSpeed)
      .Field("UnitsO2", &TUnitsForm::UnitsO2)
      .Field("UnitsDistance", &TUnitsForm::UnitsDistance)
      .Field("BitBtn1", &TUnitsForm::BitBtn1)
      .Field("BitBtn2", &TUnitsForm::BitBtn2)
      .Handler("BitBtn1Click", &TUnitsForm::BitBtn1Click)
      .Handler("FormShow", &TUnitsForm::FormShow);
}

void TUnitsForm::ShowSettings() {
  UnitsTemperature->SetItemIndex(Settings.TemperatureUnit);
  UnitsPressure->SetItemIndex(Settings.PressureUnit);
  UnitsSpeed->SetItemIndex(Settings.SpeedUnit);
  UnitsDistance->SetItemIndex(Settings.DistanceUnit);
  UnitsO2->SetItemIndex(Settings.O2Unit);
}

void TUnitsForm::FormShow(TObject*) { ShowSettings(); }

void TUnitsForm::UnitsUpdate() {
  // A group with nothing ticked keeps the unit in force.
  auto chosen = [](const TRadioGroup* g, int32_t current) { return g->ItemIndex() >= 0 ? g->ItemIndex() : current; };
  const int32_t t = chosen(UnitsTemperature, Settings.TemperatureUnit);
  const int32_t p = chosen(UnitsPressure, Settings.PressureUnit);
  const int32_t s = chosen(UnitsSpeed, Settings.SpeedUnit);
  const int32_t d = chosen(UnitsDistance, Settings.DistanceUnit);
  const int32_t o = chosen(UnitsO2, Settings.O2Unit);
  TemperatureChanged = t != Settings.TemperatureUnit;
  PressureChanged = p != Settings.PressureUnit;
  SpeedChanged = s != Settings.SpeedUnit;
  DistanceChanged = d != Settings.DistanceUnit;
  O2Changed = o != Settings.O2Unit;
  OldPressure = Settings.PressureUnit;
  Settings.TemperatureUnit = t;
  Settings.PressureUnit = p;
  Settings.SpeedUnit = s;
  Settings.DistanceUnit = d;
  Settings.O2Unit = o;
}

void TUnitsForm::BitBtn1Click(TObject*) {
  UnitsUpdate();
  // The live values were decoded in the old units; until the next packets they would be
  // shown, compared with the trigger values and logged as if in the new ones.
  ecu::SetUnitLiveValues(Settings);
  if (R7Tform1 != nullptr) {
    R7Tform1->RefreshMapTables();
    // The channel ranges change first: the logger's conversion stores samples above the
    // new bottom of each range.
    R7Tform1->UpdateLoggerUnits();
  }
  if (LoggerForm != nullptr) {
    LoggerForm->ConvertUnits(false, TemperatureChanged, OldPressure, Settings.SpeedUnit, Settings.PressureUnit,
                             Settings.TemperatureUnit, SpeedChanged, PressureChanged);
    // The sample the trend records next was taken in the old units; it is taken again from
    // the live values, so the next record is neither left unconverted nor converted twice.
    LoggerForm->DataPlotterInterval(nullptr);
  }
}
