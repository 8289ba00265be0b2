#pragma once
// Switches the ECU immobiliser and makes it relearn its code.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TGroupBox;
class TLabel;

class TImmobForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TImmobForm"; }
  static void Publish(TClassProps<TImmobForm>& P);

  TGroupBox* GroupBox1 = nullptr;
  TLabel* ImmobiliserStatus = nullptr;
  TLabel* EnableDisable = nullptr;
  TButton* ImmobiliserChangeStatus = nullptr;
  TButton* ResetImmobilser = nullptr;
  TBitBtn* BitBtn1 = nullptr;
};

extern TImmobForm* ImmobForm;
