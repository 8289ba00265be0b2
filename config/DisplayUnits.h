#pragma once
// The display-units dialog; the item index of each group is the unit code kept in the settings.
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
  TRadioGroup* UnitsDistance = nullptr;
  TRadioGroup* UnitsO2 = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;
};

extern TUnitsForm* UnitsForm;
