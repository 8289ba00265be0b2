#pragma once
// The cell-entry dialog: takes a new value for one cell of a map table; the caption names the table.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbNumSpin;
class TBitBtn;
class TEdit;
class TLabel;

class Tinsertdata : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "Tinsertdata"; }
  static void Publish(TClassProps<Tinsertdata>& P);

  TLabel* Label1 = nullptr;
  TEdit* loadsite = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* speedsite = nullptr;
  TLabel* Speedinfo = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* currentval = nullptr;
  TLabel* currentinfo = nullptr;
  TLabel* Label4 = nullptr;
  TAbNumSpin* newvalue = nullptr;
  TLabel* newinfo = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
};

extern Tinsertdata* insertdata;
