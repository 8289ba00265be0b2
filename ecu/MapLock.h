#pragma once
// Locks and unlocks the ECU maps with a 4-digit PIN and a message.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TMaskEdit;

class TMapLockForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TMapLockForm"; }
  static void Publish(TClassProps<TMapLockForm>& P);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* LockMessage = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TMaskEdit* pincode = nullptr;
  TGroupBox* GroupBox3 = nullptr;
  TLabel* maplockstatus = nullptr;
  TButton* lockbutton = nullptr;
  TBitBtn* BitBtn1 = nullptr;
};

extern TMapLockForm* MapLockForm;
