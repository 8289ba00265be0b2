#include "ecu/IgnAlign.h"

#include "controls/AdvSpin.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

TIgnAlignForm* IgnAlignForm = nullptr;

void TIgnAlignForm::Publish(TClassProps<TIgnAlignForm>& P) {
  P.Field("Memo1", &TIgnAlignForm::Memo1)
      .Field("Label1", &TIgnAlignForm::Label1)
      .Field("ReferenceAdvance", &TIgnAlignForm::ReferenceAdvance)
      .Field("Label2", &TIgnAlignForm::Label2)
      .Field("Label3", &TIgnAlignForm::Label3)
      .Field("LockAdvance", &TIgnAlignForm::LockAdvance)
      .Field("Label4", &TIgnAlignForm::Label4)
      .Field("UnLockButton", &TIgnAlignForm::UnLockButton)
      .Field("Default", &TIgnAlignForm::Default)
      .Field("BitBtn1", &TIgnAlignForm::BitBtn1);
}
