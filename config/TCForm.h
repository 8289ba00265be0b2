#pragma once
// The traction-control status window.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TMemo;

class TTC_form : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TTC_form"; }
  static void Publish(TClassProps<TTC_form>& P);

  TMemo* Memo1 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
};

extern TTC_form* TC_form;
