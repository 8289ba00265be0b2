#include "ecu/Immobiliser.h"

#include "ecu/LiveData.h"
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

void TImmobForm::UpdateImmobiliser(uint8_t lockBits) {
  AnsiString s = ImmobiliserStatus->Caption();
  auto has = [&s](const char* part) { return s.find(part) != AnsiString::npos; };
  if (!(lockBits & 0x80)) {
    if (has("Active")) {
      s = "Deactivated";
      EnableDisable->SetCaption("Activate Immobiliser :");
      EnableDisable->SetLeft(135);
      ImmobiliserChangeStatus->SetCaption("Activate");
      ECUImmobilised = false;
    }
  } else if (has("Deactiv")) {
    s = "Active";
    EnableDisable->SetCaption("Deactivate Immobiliser :");
    EnableDisable->SetLeft(124);
    ImmobiliserChangeStatus->SetCaption("Deactivate");
  }
  if (!(lockBits & 0x40)) {
    if (s == "Active" || s == "Active - IMMOBILISED") {
      s = "Active - DISARMED";
      ECUImmobilised = false;
    }
  } else if (s == "Active" || s == "Active - DISARMED") {
    s = "Active - IMMOBILISED";
    ECUImmobilised = true;
  }
  if (!(lockBits & 0x20)) {
    if (has("LEARN")) s = "Active";
  } else if (has("Active") && !has("LEARN")) {
    s = "Active - LEARNING";
  }
  ImmobiliserStatus->SetCaption(s);
}
