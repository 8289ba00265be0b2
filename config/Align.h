#pragma once
// The throttle-sensor alignment window: learns the travel of the throttle potentiometer and sets the pot numbers.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAdvSpinEdit;
class TBitBtn;
class TCheckBox;
class TComboBox;
class TGroupBox;
class TLabel;
class TMemo;
class TPanel;

namespace config {

class TAlignment : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAlignment"; }
  static void Publish(TClassProps<TAlignment>& P);

  TMemo* alignment_info = nullptr;
  TGroupBox* sensorbox = nullptr;
  TPanel* sensor_number = nullptr;
  TGroupBox* loadsitebox = nullptr;
  TPanel* loadsite_number = nullptr;
  TCheckBox* AutoIdlePotNum = nullptr;
  TAdvSpinEdit* IdlePotNumOffset = nullptr;
  TCheckBox* AutoCutPotNum = nullptr;
  TAdvSpinEdit* CutPotNumOffset = nullptr;
  TLabel* Label1 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TBitBtn* ok = nullptr;
  TBitBtn* cancel = nullptr;
  TBitBtn* invert = nullptr;
};

}  // namespace config

extern config::TAlignment* Alignment;
