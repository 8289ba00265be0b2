#pragma once
// The block-operation dialog: an operation and a value for the selected cells of a table.
// The caller fills `operation` with the table's operations and sets Value's decimals; OK
// gives modal result 1, Cancel 2. Value runs from -255 to 255, so that negative advance
// and negative corrections can be filled in; the table's own limits apply after it.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbNumSpin;
class TBitBtn;
class TComboBox;
class TLabel;

class Tmap_function : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "Tmap_function"; }
  static void Publish(TClassProps<Tmap_function>& P);

  TLabel* Label1 = nullptr;
  TComboBox* operation = nullptr;
  TLabel* do_what = nullptr;
  TAbNumSpin* Value = nullptr;
  TLabel* percent = nullptr;
  TBitBtn* ok = nullptr;
  TBitBtn* cancel = nullptr;

  // Every showing starts at "Fill".
  void FormActivate(TObject* Sender);
  // The operation combo takes the focus.
  void FormShow(TObject* Sender);
  // Escape cancels from anywhere in the dialog.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // "With" for Fill, nothing for Add and Subtract, "By" ... "%" for Increase and Decrease.
  void operationChange(TObject* Sender);
  // Enter moves on to the value.
  void operationKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // Enter focuses OK and accepts.
  void ValueKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void okClick(TObject* Sender);

 private:
  // Takes the typed text into Value; false (the dialog stays open) when it is no number.
  bool TakeValue();
};

extern Tmap_function* map_function;
