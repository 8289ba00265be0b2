#pragma once
// The temperature calculator: three measured points of a thermistor give the 14-point sensor table.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAdvSpinEdit;
class TBitBtn;
class TLabel;

class TTempCalc : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TTempCalc"; }
  static void Publish(TClassProps<TTempCalc>& P);

  TLabel* SensorCaption = nullptr;
  TLabel* SensorVoltage = nullptr;
  TAdvSpinEdit* Measure1 = nullptr;
  TAdvSpinEdit* Measure2 = nullptr;
  TAdvSpinEdit* Measure3 = nullptr;
  TAdvSpinEdit* Temp1 = nullptr;
  TAdvSpinEdit* Temp2 = nullptr;
  TAdvSpinEdit* Temp3 = nullptr;
  // Unit texts beside the entries; the temperature ones follow the display unit.
  TLabel* TempUnit1 = nullptr;
  TLabel* TempUnit2 = nullptr;
  TLabel* TempUnit3 = nullptr;
  TLabel* TempRange = nullptr;
  TLabel* Label14 = nullptr;
  TLabel* Label18 = nullptr;
  TLabel* Label22 = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;
};

extern TTempCalc* TempCalc;
