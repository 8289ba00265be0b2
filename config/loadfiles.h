#pragma once
// The comments panel docked right of the open dialog; Memo1 shows the preview of the chosen file (kind in Tag).
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TMemo;

class TForm2 : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TForm2"; }
  static void Publish(TClassProps<TForm2>& P);

  TMemo* Memo1 = nullptr;
};

extern TForm2* Form2;
