#pragma once
// Asks for the 4-digit keycode of the telltale memory lock.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TLabel;
class TMaskEdit;

class TDlgPw : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TDlgPw"; }
  static void Publish(TClassProps<TDlgPw>& P);

  TLabel* Label1 = nullptr;
  TMaskEdit* code = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;
};

extern TDlgPw* DlgPw;
