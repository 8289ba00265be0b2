#pragma once
// The comment text saved with a configuration file.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TMemo;

class TConfigSaveCommentsForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TConfigSaveCommentsForm"; }
  static void Publish(TClassProps<TConfigSaveCommentsForm>& P);

  TMemo* Memo1 = nullptr;
  TBitBtn* Button1 = nullptr;
};

extern TConfigSaveCommentsForm* ConfigSaveCommentsForm;
