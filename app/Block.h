#pragma once
// The block-operation dialog: an operation and a value for the selected cells of a table.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TComboBox;
class TEdit;
class TLabel;

class Tmap_function : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "Tmap_function"; }
  static void Publish(TClassProps<Tmap_function>& P);

  TLabel* Label1 = nullptr;
  TComboBox* operation = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* Value = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;
};

extern Tmap_function* map_function;
