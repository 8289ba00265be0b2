#include "ecu/Immobiliser.h"

#include "model/Frames.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

TImmobForm* ImmobForm = nullptr;

void TImmobForm::Publish(TClassProps<TImmobForm>& P) {
  P.Field("GroupBox1", &TImmobForm::GroupBox1)
      .Field("ImmobiliserStatus", &TImmobForm::ImmobiliserStatus)
      .Field("EnableDisable", &TImmobForm::EnableDisable)
      .Field("ImmobiliserChangeStatus", &TImmobForm::ImmobiliserChangeStatus)
      .Field("ResetImmobilser", &TImmobForm::ResetImmobilser)
      .Field("BitBtn1", &TImmobForm::BitBtn1)
      .Handler("ImmobiliserChangeStatusClick", &TImmobForm::ImmobiliserChangeStatusClick)
      .Handler("ResetImmobilserClick", &TImmobForm::ResetImmobilserClick);
}

bool TImmobForm::Connected() {
  MessageBeep(MB_BEEP_OK);
  if (ECUConnected && link_ != nullptr) return true;
  MessageDlg("ECU not connected or not powered up.  Please check!", mtInformation, TMsgDlgButtons{mbOK});
  return false;
}

void TImmobForm::ImmobiliserChangeStatusClick(TObject*) {
  if (!Connected()) return;
  const bool activate = ImmobiliserChangeStatus->Caption() == "Activate";
  if (MessageDlg(activate ? "Activate the ECU Immobiliser function?" : "Deactivate the ECU Immobiliser function?",
                 mtConfirmation, TMsgDlgButtons{mbYes, mbNo}) != mrYes)
    return;
  link_->Send(ecu::ImmobiliserFrame(activate ? ecu::ImmobiliserCommand::Activate : ecu::ImmobiliserCommand::Deactivate));
}

void TImmobForm::ResetImmobilserClick(TObject*) {
  if (!Connected()) return;
  if (MessageDlg("Delete current immobiliser code and relearn?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}) != mrYes)
    return;
  link_->Send(ecu::ImmobiliserFrame(ecu::ImmobiliserCommand::Relearn));
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
