#include "config/TCSetup.h"

#include "controls/Aligrid.h"
#include "platform/stdctrls/Tabs.h"

TTCSetupForm* TCSetupForm = nullptr;

void TTCSetupForm::Publish(TClassProps<TTCSetupForm>& P) {
  P.Field("TCSetupBook", &TTCSetupForm::TCSetupBook)
      .Field("GearPos_table", &TTCSetupForm::GearPos_table)
      .Field("TabSet", &TTCSetupForm::TabSet)
      .Handler("FormCreate", &TTCSetupForm::FormCreate)
      .Handler("TabSetClick", &TTCSetupForm::TabSetClick);
}

// The tab strip names the notebook pages, in page order.
void TTCSetupForm::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(TCSetupBook->Pages());
  TabSet->SetTabIndex(TCSetupBook->PageIndex());
}

void TTCSetupForm::TabSetClick(TObject*) {
  TCSetupBook->SetPageIndex(TabSet->TabIndex());
  if (TCSetupBook->PageIndex() >= 0) SetCaption("TC settings - " + TCSetupBook->ActivePage());
}
