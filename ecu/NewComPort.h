#pragma once
// The serial-port choice: the ports present and whether to open the chosen one at start-up.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TCheckBox;
class TComboBox;

class TSelectPort : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSelectPort"; }
  static void Publish(TClassProps<TSelectPort>& P);

  TComboBox* ComboBox1 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;
};

extern TSelectPort* SelectPort;
