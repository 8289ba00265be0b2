#include "ecu/MapLock.h"

#include "model/Frames.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "platform/graphics/Colors.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "controls/AdvMaskEdit.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TMapLockForm* MapLockForm = nullptr;

namespace ecu {

std::optional<std::array<uint8_t, 2>> PinBytes(std::string_view pin) {
  if (pin.size() != 4) return std::nullopt;
  for (char c : pin)
    if (c < '0' || c > '9') return std::nullopt;
  auto pair = [&](size_t i) { return static_cast<uint8_t>((pin[i] - '0') * 10 + (pin[i + 1] - '0')); };
  return std::array<uint8_t, 2>{pair(0), pair(2)};
}

}  // namespace ecu

AnsiString SecureMsg(const AnsiString& frame) { return ecu::SecureFrame(frame, ECUIdentity.MapLockKey); }

void TMapLockForm::Publish(TClassProps<TMapLockForm>& P) {
  P.Field("GroupBox1", &TMapLockForm::GroupBox1)
      .Field("LockMessage", &TMapLockForm::LockMessage)
      .Field("GroupBox2", &TMapLockForm::GroupBox2)
      .Field("pincode", &TMapLockForm::pincode)
      .Field("GroupBox3", &TMapLockForm::GroupBox3)
      .Field("maplockstatus", &TMapLockForm::maplockstatus)
      .Field("lockbutton", &TMapLockForm::lockbutton)
      .Field("BitBtn1", &TMapLockForm::BitBtn1)
      .Handler("lockbuttonClick", &TMapLockForm::lockbuttonClick);
}

void TMapLockForm::lockbuttonClick(TObject*) {
  const std::optional<std::array<uint8_t, 2>> pin = ecu::PinBytes(pincode->Text());
  if (!pin) {
    MessageBeep(MB_BEEP_OK);
    if (pincode->Visible() && pincode->Enabled()) SetActiveControl(pincode);
    return;
  }
  if (!ECUConnected || link_ == nullptr) return;
  const uint16_t key = ECUIdentity.MapLockKey;
  link_->Send(ECUMapsLocked ? ecu::MapUnlockFrame((*pin)[0], (*pin)[1], key)
                            : ecu::MapLockFrame((*pin)[0], (*pin)[1], LockMessage->Text(), key));
}

void TMapLockForm::ShowStatus(const AnsiString& text, TColor colour) {
  maplockstatus->SetCaption(text);
  maplockstatus->Font()->SetColor(colour);
  // Centred in its group whatever the text's length.
  maplockstatus->SetAlignment(taCenter);
  maplockstatus->SetBounds(0, maplockstatus->Top(), GroupBox3->Width(), maplockstatus->Height());
}

void TMapLockForm::UpdateMapLock(uint8_t lockBits) {
  int& state = maplockstatus->Tag;
  if (lockBits & ecu::kLockBitWrongCode) {
    state = static_cast<int>(ecu::LockShown::WrongCode);
    ShowStatus("Wrong code, reset ECU", clRed);
  } else {
    state = static_cast<int>(ecu::LockShown::None);
  }
  if (!(lockBits & ecu::kLockBitLocked)) {
    if (state == static_cast<int>(ecu::LockShown::None) || state == static_cast<int>(ecu::LockShown::Locked)) {
      ECUMapsLocked = false;
      ShowStatus("Map UnLocked", clGreen);
      state = static_cast<int>(ecu::LockShown::Unlocked);
      lockbutton->SetCaption("Lock");
    }
  } else if (state < static_cast<int>(ecu::LockShown::Locked)) {
    ECUMapsLocked = true;
    ShowStatus("Map Locked", clRed);
    state = static_cast<int>(ecu::LockShown::Locked);
    lockbutton->SetCaption("UnLock");
  }
}

void TMapLockForm::ShowLockMessage(const AnsiString& text) { LockMessage->SetText(text); }

void TMapLockForm::ResetStatus() {
  maplockstatus->Tag = static_cast<int>(ecu::LockShown::None);
  ShowStatus("Unknown", clBlack);
  pincode->SetText("");
}

void ShowMapLock(ecu::PacketHost& link) {
  if (MapLockForm == nullptr) return;
  MapLockForm->Attach(link);
  link.Send(ecu::ReplyRequestFrame(ecu::ReplyRequest::LockMessage));
  MapLockForm->ShowModal();
}
