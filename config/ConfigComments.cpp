#include "config/ConfigComments.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"

TConfigSaveCommentsForm* ConfigSaveCommentsForm = nullptr;

void TConfigSaveCommentsForm::Publish(TClassProps<TConfigSaveCommentsForm>& P) {
  P.Field("Memo1", &TConfigSaveCommentsForm::Memo1)
      .Field("Button1", &TConfigSaveCommentsForm::Button1);
}
