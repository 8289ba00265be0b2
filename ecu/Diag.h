#pragma once
// The diagnostics window: raw ECU values, the ECU times and the telltale memory with its lock.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TGroupBox;
class TLabel;
class TMemo;
class TTimer;

class TDiagForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TDiagForm"; }
  static void Publish(TClassProps<TDiagForm>& P);

  TMemo* Memo1 = nullptr;
  TGroupBox* TelltaleBox = nullptr;
  TButton* TelltaleLock = nullptr;
  TButton* TelltaleClear = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  // Converted temperatures, pressures and road speed, each with its unit beside it.
  TLabel *airtemp = nullptr, *coolanttemp = nullptr, *AuxTemp = nullptr, *EGTTemp = nullptr;
  TLabel *inlet = nullptr, *boostactual = nullptr, *boosttarget = nullptr, *TCSpeed = nullptr;
  TLabel *airtempUnit = nullptr, *coolanttempUnit = nullptr, *AuxTempUnit = nullptr, *EGTTempUnit = nullptr;
  TLabel *inletUnit = nullptr, *boostactualUnit = nullptr, *boosttargetUnit = nullptr, *TCSpeedUnit = nullptr;
  TTimer* Timer1 = nullptr;

  void Timer1Timer(TObject* Sender);
};

extern TDiagForm* DiagForm;
