#pragma once
// The temperature calculator: three measured points of a thermistor give the 14-point sensor table.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbNumSpin;
class TAdvSpinEdit;
class TBitBtn;
class TLabel;
class TRadioGroup;
class TTimer;

class TTempCalc : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TTempCalc"; }
  static void Publish(TClassProps<TTempCalc>& P);

  // Its Tag chooses the table: 0 air, 1 coolant, 2 auxiliary.
  TLabel* SensorCaption = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* SensorVoltage = nullptr;
  TAdvSpinEdit* Measure1 = nullptr;
  TAdvSpinEdit* Measure2 = nullptr;
  TAdvSpinEdit* Measure3 = nullptr;
  // Whole degrees in the display unit.
  TAbNumSpin* Temp1 = nullptr;
  TAbNumSpin* Temp2 = nullptr;
  TAbNumSpin* Temp3 = nullptr;
  // Unit texts beside the entries; the temperature ones follow the display unit.
  TLabel* TempUnit1 = nullptr;
  TLabel* TempUnit2 = nullptr;
  TLabel* TempUnit3 = nullptr;
  TLabel* TempRange = nullptr;
  TLabel* Label14 = nullptr;
  TLabel* Label18 = nullptr;
  TLabel* Label22 = nullptr;
  TRadioGroup* MeasureOption = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  TTimer* Timer1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void MeasureOptionClick(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);

  // Whether the live reading is shown in ohms rather than volts.
  bool ShowsResistance() const;
  // The live sensor reading from the ECU's reply.
  void ShowReading(const AnsiString& text);

 private:
  // Set while the message about refused points shows.
  bool refusing_ = false;
};

extern TTempCalc* TempCalc;
