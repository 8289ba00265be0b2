#include "config/TCForm.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"

TTC_form* TC_form = nullptr;

void TTC_form::Publish(TClassProps<TTC_form>& P) {
  P.Field("Memo1", &TTC_form::Memo1)
      .Field("BitBtn1", &TTC_form::BitBtn1);
}
