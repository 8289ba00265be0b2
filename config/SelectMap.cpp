#include "config/SelectMap.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TSelectMapForm* SelectMapForm = nullptr;

void TSelectMapForm::Publish(TClassProps<TSelectMapForm>& P) {
  P.Field("SelectedMap", &TSelectMapForm::SelectedMap)
      .Field("SelectedMap_panel", &TSelectMapForm::SelectedMap_panel)
      .Field("GroupBox1", &TSelectMapForm::GroupBox1)
      .Field("Label1", &TSelectMapForm::Label1)
      .Field("Memo1", &TSelectMapForm::Memo1)
      .Field("OKBtn", &TSelectMapForm::OKBtn)
      .Field("CancelBtn", &TSelectMapForm::CancelBtn);
}
