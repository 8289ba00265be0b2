#pragma once
// The conversion table of an auxiliary input.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TStringAlignGrid;

class TAuxTableForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAuxTableForm"; }
  static void Publish(TClassProps<TAuxTableForm>& P);

  TStringAlignGrid* AuxTable = nullptr;
  TBitBtn* BitBtn1 = nullptr;
};

extern TAuxTableForm* AuxTableForm;
