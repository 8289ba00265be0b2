#pragma once
// The ignition-alignment window: locks the advance and moves the crank reference by single steps.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAdvSpinEdit;
class TBitBtn;
class TButton;
class TLabel;
class TMemo;

class TIgnAlignForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TIgnAlignForm"; }
  static void Publish(TClassProps<TIgnAlignForm>& P);

  TMemo* Memo1 = nullptr;
  TLabel* Label1 = nullptr;
  TAdvSpinEdit* ReferenceAdvance = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TAdvSpinEdit* LockAdvance = nullptr;
  TLabel* Label4 = nullptr;
  TButton* UnLockButton = nullptr;
  TButton* Default = nullptr;
  TBitBtn* BitBtn1 = nullptr;
};

extern TIgnAlignForm* IgnAlignForm;
