#include "config/setup.h"

#include "chart/Chart.h"
#include "model/ConfigBlock.h"
#include "controls/Aligrid.h"
#include "controls/SBPro.h"
#include "ecu/FlashUpdate.h"
#include "link/LiveData.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

TSetupForm* SetupForm = nullptr;

void TSetupForm::Publish(TClassProps<TSetupForm>& P) {
  P.Field("SetupBook", &TSetupForm::SetupBook)
      .Field("ATS_type", &TSetupForm::ATS_type)
      .Field("ATStable", &TSetupForm::ATStable)
      .Field("CTS_type", &TSetupForm::CTS_type)
      .Field("CTStable", &TSetupForm::CTStable)
      .Field("XTS_type", &TSetupForm::XTS_type)
      .Field("XTStable", &TSetupForm::XTStable)
      .Field("AFRinput_table", &TSetupForm::AFRinput_table)
      .Field("ATSChart", &TSetupForm::ATSChart)
      .Field("CTSChart", &TSetupForm::CTSChart)
      .Field("XTSChart", &TSetupForm::XTSChart)
      .Field("ATSTempLabel", &TSetupForm::ATSTempLabel)
      .Field("CTSTempLabel", &TSetupForm::CTSTempLabel)
      .Field("XTSTempLabel", &TSetupForm::XTSTempLabel)
      .Field("TabSet", &TSetupForm::TabSet)
      .Field("StatusBarPro1", &TSetupForm::StatusBarPro1)
      .Field("InstallUpdate", &TSetupForm::InstallUpdate)
      .Handler("InstallClick", &TSetupForm::InstallClick)
      .Handler("FormCreate", &TSetupForm::FormCreate)
      .Handler("TabSetClick", &TSetupForm::TabSetClick)
      .Handler("ATS_typeClick", &TSetupForm::ATS_typeClick)
      .Handler("CTS_typeClick", &TSetupForm::CTS_typeClick)
      .Handler("XTS_typeClick", &TSetupForm::XTS_typeClick);
}

// The tab strip names the notebook pages, in page order.
void TSetupForm::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(SetupBook->Pages());
  TabSet->SetTabIndex(SetupBook->PageIndex());
}

// The window caption names the page shown.
void TSetupForm::TabSetClick(TObject*) {
  SetupBook->SetPageIndex(TabSet->TabIndex());
  if (SetupBook->PageIndex() >= 0) SetCaption(SetupBook->ActivePage());
}

void TSetupForm::ATS_typeClick(TObject*) {}

void TSetupForm::CTS_typeClick(TObject*) {}

void TSetupForm::XTS_typeClick(TObject*) {}

void TSetupForm::InstallClick(TObject*) {
  if (!ECUConnected) {
    MessageDlg("ECU must be connected and powered up to access update files", mtWarning, {mbOK});
    return;
  }
  FlashUpdateForm->ResetForNewFile();
  FlashUpdateForm->ShowModal();
}

void TSetupForm::ConfigDefault() {
  config::ApplyConfigDefaults(ConfigBlock);
}

void TSetupForm::RefreshConfigDisplay() {}
