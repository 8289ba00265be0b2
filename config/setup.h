#pragma once
// The configuration editor: shows and edits ConfigBlock page by page.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TChart;
class TLabel;
class TNotebook;
class TRadioGroup;
class TStatusBarPro;
class TStringAlignGrid;
class TTabSet;

class TSetupForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSetupForm"; }
  static void Publish(TClassProps<TSetupForm>& P);

  TNotebook* SetupBook = nullptr;
  TRadioGroup* ATS_type = nullptr;
  TStringAlignGrid* ATStable = nullptr;
  TRadioGroup* CTS_type = nullptr;
  TStringAlignGrid* CTStable = nullptr;
  TRadioGroup* XTS_type = nullptr;
  TStringAlignGrid* XTStable = nullptr;
  TStringAlignGrid* AFRinput_table = nullptr;
  // The sensor curves against temperature, and the unit texts of the sensor tables.
  TChart* ATSChart = nullptr;
  TChart* CTSChart = nullptr;
  TChart* XTSChart = nullptr;
  TLabel* ATSTempLabel = nullptr;
  TLabel* CTSTempLabel = nullptr;
  TLabel* XTSTempLabel = nullptr;
  TTabSet* TabSet = nullptr;
  TStatusBarPro* StatusBarPro1 = nullptr;
  TBitBtn* InstallUpdate = nullptr;

  void FormCreate(TObject* Sender);
  void TabSetClick(TObject* Sender);
  void ATS_typeClick(TObject* Sender);
  void CTS_typeClick(TObject* Sender);
  void XTS_typeClick(TObject* Sender);
  // Opens the firmware-update window while the ECU is linked.
  void InstallClick(TObject* Sender);
  void ConfigDefault();
  void RefreshConfigDisplay();
};

extern TSetupForm* SetupForm;
