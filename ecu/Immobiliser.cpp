#include "ecu/Immobiliser.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"

TImmobForm* ImmobForm = nullptr;

void TImmobForm::Publish(TClassProps<TImmobForm>& P) {
  P.Field("GroupBox1", &TImmobForm::GroupBox1)
      .Field("ImmobiliserStatus", &TImmobForm::ImmobiliserStatus)
      .Field("EnableDisable", &TImmobForm::EnableDisable)
      .Field("ImmobiliserChangeStatus", &TImmobForm::ImmobiliserChangeStatus)
      .Field("ResetImmobilser", &TImmobForm::ResetImmobilser)
      .Field("BitBtn1", &TImmobForm::BitBtn1);
}
