#include "ecu/Diag.h"

#include <cstdio>

#include "model/Frames.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "ecu/keycode.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"

TDiagForm* DiagForm = nullptr;

void TDiagForm::Publish(TClassProps<TDiagForm>& P) {
  P.Field("Memo1", &TDiagForm::Memo1)
      .Field("TelltaleBox", &TDiagForm::TelltaleBox)
      .Field("TelltaleLock", &TDiagForm::TelltaleLock)
      .Field("TelltaleClear", &TDiagForm::TelltaleClear)
      .Field("BitBtn1", &TDiagForm::BitBtn1)
      .Field("airtemp", &TDiagForm::airtemp)
      .Field("airtempUnit", &TDiagForm::airtempUnit)
      .Field("coolanttemp", &TDiagForm::coolanttemp)
      .Field("coolanttempUnit", &TDiagForm::coolanttempUnit)
      .Field("AuxTemp", &TDiagForm::AuxTemp)
      .Field("AuxTempUnit", &TDiagForm::AuxTempUnit)
      .Field("EGTTemp", &TDiagForm::EGTTemp)
      .Field("EGTTempUnit", &TDiagForm::EGTTempUnit)
      .Field("inlet", &TDiagForm::inlet)
      .Field("inletUnit", &TDiagForm::inletUnit)
      .Field("boostactual", &TDiagForm::boostactual)
      .Field("boostactualUnit", &TDiagForm::boostactualUnit)
      .Field("boosttarget", &TDiagForm::boosttarget)
      .Field("boosttargetUnit", &TDiagForm::boosttargetUnit)
      .Field("TCSpeed", &TDiagForm::TCSpeed)
      .Field("TCSpeedUnit", &TDiagForm::TCSpeedUnit)
      .Field("Timer1", &TDiagForm::Timer1)
      .Field("TimeStamp", &TDiagForm::TimeStamp)
      .Field("ECURunTime", &TDiagForm::ECURunTime)
      .Field("EngRunTime", &TDiagForm::EngRunTime)
      .Field("RPMmax", &TDiagForm::RPMmax)
      .Handler("FormShow", &TDiagForm::FormShow)
      .Handler("Timer1Timer", &TDiagForm::Timer1Timer)
      .Handler("FormClose", &TDiagForm::FormClose)
      .Handler("TelltaleClearClick", &TDiagForm::TelltaleClearClick)
      .Handler("TelltaleLockClick", &TDiagForm::TelltaleLockClick);
}

void TDiagForm::FormShow(TObject*) {
  if (ECUConnected && link_ != nullptr) link_->Send(ecu::StatusRequestFrame());
}

void TDiagForm::Timer1Timer(TObject*) {
  if (ECUConnected && link_ != nullptr) link_->Send(ecu::StatusRequestFrame());
}

void TDiagForm::FormClose(TObject*, TCloseAction&) { Timer1->SetEnabled(false); }

void TDiagForm::TelltaleClearClick(TObject*) {
  if (!ECUConnected || link_ == nullptr) return;
  if (TelltaleLock->Caption() == "Unlock") {
    MessageDlg(kTelltaleLocked, mtError, TMsgDlgButtons{mbOK});
    return;
  }
  link_->Send(ecu::TelltaleFrame(ecu::TelltaleCommand::ClearMinMax));
}

void TDiagForm::TelltaleLockClick(TObject*) {
  DlgPw->code->SetText("0000");
  if (DlgPw->ShowModal() != mrOk || link_ == nullptr) return;
  const std::optional<AnsiString> frame = ecu::KeycodeFrameFor(DlgPw->code->Text());
  if (!frame) return;
  link_->Send(*frame);
  link_->Send(ecu::TelltaleFrame(TelltaleLock->Caption() == "Unlock" ? ecu::TelltaleCommand::Unlock
                                                                     : ecu::TelltaleCommand::Lock));
}

void TDiagForm::ShowIdentity() {
  TimeStamp->SetCaption(ecu::PackedDateText(ECUIdentity.ProgrammedDate));
  ECURunTime->SetCaption(ecu::RunningTimeText(ECUIdentity.ECUSeconds));
  EngRunTime->SetCaption(ecu::RunningTimeText(ECUIdentity.EngineSeconds));
  RPMmax->SetCaption(IntToStr(ECUIdentity.TelltaleMaxRPM));
}

namespace ecu {

AnsiString RunningTimeText(uint32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

AnsiString PackedDateText(uint32_t packed) {
  const unsigned date = packed >> 16, time = packed & 0xFFFF;
  TDateTime d = 0, t = 0;
  if (!TryEncodeDate(static_cast<Word>(1980 + (date >> 9)), static_cast<Word>((date >> 5) & 15),
                     static_cast<Word>(date & 31), d) ||
      !TryEncodeTime(static_cast<Word>(time >> 11), static_cast<Word>((time >> 5) & 63),
                     static_cast<Word>((time & 31) * 2), 0, t))
    return "Unknown";
  return FormatDateTime("dd/mm/yyyy hh:nn:ss", d + t);
}

}  // namespace ecu
