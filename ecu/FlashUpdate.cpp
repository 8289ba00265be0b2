#include "ecu/FlashUpdate.h"

#include "app/HKStreamCol.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

TFlashUpdateForm* FlashUpdateForm = nullptr;

void TFlashUpdateForm::Publish(TClassProps<TFlashUpdateForm>& P) {
  P.Field("GroupBox1", &TFlashUpdateForm::GroupBox1)
      .Field("Notes", &TFlashUpdateForm::Notes)
      .Field("GroupBox2", &TFlashUpdateForm::GroupBox2)
      .Field("UpdateInfo", &TFlashUpdateForm::UpdateInfo)
      .Field("ProgressBar", &TFlashUpdateForm::ProgressBar)
      .Field("Label1", &TFlashUpdateForm::Label1)
      .Field("ProgressState", &TFlashUpdateForm::ProgressState)
      .Field("Proceed", &TFlashUpdateForm::Proceed)
      .Field("BitBtn2", &TFlashUpdateForm::BitBtn2)
      .Field("krup", &TFlashUpdateForm::krup)
      .Handler("krupCorrupt", &TFlashUpdateForm::krupCorrupt);
}

// The container raises "File is corrupt." after this; the message here says where it failed.
void TFlashUpdateForm::krupCorrupt(TObject*) {
  ShowMessage("File Access Error.");
}
