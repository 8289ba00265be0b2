#pragma once
// The display-units dialog. The item index of each group is the unit code kept in the
// settings; OK stores the five codes and re-shows every table, field and log in them.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TRadioGroup;

class TUnitsForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TUnitsForm"; }
  static void Publish(TClassProps<TUnitsForm>& P);

  TRadioGroup* UnitsTemperature = nullptr;
  TRadioGroup* UnitsPressure = nullptr;
  TRadioGroup* UnitsSpeed = nullptr;
  TRadioGroup* UnitsO2 = nullptr;
  TRadioGroup* UnitsDistance = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;

  // What the last UnitsUpdate changed, and the pressure unit in force before it.
  bool TemperatureChanged = false, PressureChanged = false, SpeedChanged = false, DistanceChanged = false,
       O2Changed = false;
  int OldPressure = 0;

  // Notes which groups differ from the settings, then stores all five codes.
  void UnitsUpdate();
  // OK: stores the units, re-draws the map tables and the logger's channels in them and
  // converts the samples the logger holds.
  void BitBtn1Click(TObject* Sender);
  // The groups show the units in force: a choice left by Cancel is not offered again.
  void FormShow(TObject* Sender);
  // Sets the five groups from the settings.
  void ShowSettings();
};

extern TUnitsForm* UnitsForm;
