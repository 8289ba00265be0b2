#pragma once
// The map choice: which of the three PC map slots to show and edit.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TComboBox;
class TGroupBox;
class TLabel;
class TMemo;
class TPanel;

class TSelectMapForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSelectMapForm"; }
  static void Publish(TClassProps<TSelectMapForm>& P);

  TComboBox* SelectedMap = nullptr;
  TPanel* SelectedMap_panel = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TMemo* Memo1 = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;
};

extern TSelectMapForm* SelectMapForm;
