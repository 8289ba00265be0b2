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
  TLabel* do_what = nullptr;
  TEdit* Value = nullptr;
  TLabel* percent = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;

  // Every showing starts at "Fill".
  void FormActivate(TObject* Sender);
  // "With" for Fill, nothing for Add and Subtract, "By" ... "%" for Increase and Decrease.
  void operationChange(TObject* Sender);
};

extern Tmap_function* map_function;
