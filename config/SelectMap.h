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
  TGroupBox* GroupBox2 = nullptr;
  TLabel *Map1Name = nullptr, *Map2Name = nullptr, *Map3Name = nullptr;

  // The panel shows "PC Map n" in the slot's colour.
  void ShowChoice(int n);
  void SelectedMapChange(TObject* Sender);
  // While the ECU is linked it runs one bank and the choice is its own: the list is locked
  // to CurrentMap. Without a link the tuner chooses. Also names the maps in the slots.
  void UpdateOptions();
  void FormShow(TObject* Sender);
};

extern TSelectMapForm* SelectMapForm;
