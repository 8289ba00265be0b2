#include "ecu/IgnAlign.h"

#include "model/ConfigBlock.h"
#include "controls/AdvEdit.h"
#include "model/Frames.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"

TIgnAlignForm* IgnAlignForm = nullptr;

namespace {
constexpr const char* kNotConnected = "ECU not connected or not powered up.  Please check!";
}

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
      .Field("BitBtn1", &TIgnAlignForm::BitBtn1)
      .Handler("FormCreate", &TIgnAlignForm::FormCreate)
      .Handler("FormActivate", &TIgnAlignForm::FormActivate)
      .Handler("FormClose", &TIgnAlignForm::FormClose)
      .Handler("UnLockButtonClick", &TIgnAlignForm::UnLockButtonClick)
      .Handler("DefaultClick", &TIgnAlignForm::DefaultClick)
      .Handler("ReferenceAdvanceKeyUp", &TIgnAlignForm::ReferenceAdvanceKeyUp)
      .Handler("LockAdvanceKeyUp", &TIgnAlignForm::LockAdvanceKeyUp)
      .Handler("BitBtn1Click", &TIgnAlignForm::BitBtn1Click);
}

void TIgnAlignForm::FormCreate(TObject*) {
  // Half-degree angles: one decimal.
  for (TAdvEdit* e : {ReferenceAdvance, LockAdvance}) {
    e->SetEditType(etFloat);
    e->SetPrecision(1);
  }
}

void TIgnAlignForm::FormActivate(TObject*) {
  if (ECUConnected && link_ != nullptr) link_->Send(ecu::StatusRequestFrame());
}

void TIgnAlignForm::FormClose(TObject*, TCloseAction&) {
  if (!ECUIdentity.AdvanceLocked) return;
  if (ECUConnected && link_ != nullptr) {
    link_->Send(ecu::AlignmentFrame(ecu::AlignmentCommand::ReleaseLock));
    return;
  }
  // Nothing can release the lock now; the tuner has to know before the engine runs.
  MessageDlg(kAdvanceLockedLinkLost, mtWarning, TMsgDlgButtons{mbOK});
}

void TIgnAlignForm::UnLockButtonClick(TObject*) {
  if (!ECUConnected || link_ == nullptr) {
    MessageDlg(kNotConnected, mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  link_->Send(ecu::AlignmentFrame(ECUIdentity.AdvanceLocked ? ecu::AlignmentCommand::ReleaseLock
                                                           : ecu::AlignmentCommand::SetLock));
}

void TIgnAlignForm::DefaultClick(TObject*) {
  if (!ECUConnected || link_ == nullptr) {
    MessageDlg(kNotConnected, mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  if (MessageDlg("Reset \"Lock at\" and \"Referance\" settings to factory defaults?", mtConfirmation,
                 TMsgDlgButtons{mbYes, mbNo}) == mrYes)
    link_->Send(ecu::AlignmentFrame(ecu::AlignmentCommand::FactoryDefaults));
}

void TIgnAlignForm::Step(WORD key, int up, int down) {
  if (link_ == nullptr) return;
  if (key == VK_UP) link_->Send(ecu::AlignmentFrame(static_cast<ecu::AlignmentCommand>(up)));
  else if (key == VK_DOWN) link_->Send(ecu::AlignmentFrame(static_cast<ecu::AlignmentCommand>(down)));
  // Whatever the key, the fields show the ECU's angles again.
  link_->Send(ecu::ConfigRequestFrame());
  link_->ArmLinkWatchdog();
}

void TIgnAlignForm::ReferenceAdvanceKeyUp(TObject*, WORD& Key, TShiftState) {
  Step(Key, static_cast<int>(ecu::AlignmentCommand::ReferenceUp), static_cast<int>(ecu::AlignmentCommand::ReferenceDown));
}

void TIgnAlignForm::LockAdvanceKeyUp(TObject*, WORD& Key, TShiftState) {
  Step(Key, static_cast<int>(ecu::AlignmentCommand::LockAtUp), static_cast<int>(ecu::AlignmentCommand::LockAtDown));
}

void TIgnAlignForm::BitBtn1Click(TObject*) {
  // The button's modal result closes the window; FormClose releases the lock.
  SetModalResult(mrOk);
}

void TIgnAlignForm::ShowConfiguration() {
  // The angles the ECU replied with: the read copy, not the working block, which may hold
  // edits the ECU has not seen.
  ReferenceAdvance->SetFloatValue(static_cast<uint16_t>(ConfigReadCopy.ReferenceAdvance) / 2.0);
  LockAdvance->SetFloatValue(static_cast<uint16_t>(ConfigReadCopy.LockAtAdvance) / 2.0);
  ReferenceAdvance->SetEnabled(true);
  LockAdvance->SetEnabled(true);
}

void TIgnAlignForm::ShowAdvanceLock(bool locked) {
  UnLockButton->SetCaption(locked ? "&Unlock ignition advance" : "&Lock ignition advance");
}
