#include "ecu/Diag.h"

#include <cstdio>

#include "model/Frames.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "model/Settings.h"
#include "ecu/keycode.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "controls/AdvMaskEdit.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"

TDiagForm* DiagForm = nullptr;

void TDiagForm::Publish(TClassProps<TDiagForm>& P) {
  P.Field("TelltaleBox", &TDiagForm::TelltaleBox)
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
      .Field("StatusFlag", &TDiagForm::StatusFlag)
      .Field("FaultFlag", &TDiagForm::FaultFlag)
      .Field("rpm", &TDiagForm::rpm)
      .Field("throttle", &TDiagForm::throttle)
      .Field("potnum", &TDiagForm::potnum)
      .Field("speedsite", &TDiagForm::speedsite)
      .Field("loadsite", &TDiagForm::loadsite)
      .Field("actualadv", &TDiagForm::actualadv)
      .Field("injpw", &TDiagForm::injpw)
      .Field("GearPos", &TDiagForm::GearPos)
      .Field("ClutchStatus", &TDiagForm::ClutchStatus)
      .Field("baro", &TDiagForm::baro)
      .Field("battery", &TDiagForm::battery)
      .Field("boostpwm", &TDiagForm::boostpwm)
      .Field("boostlevel", &TDiagForm::boostlevel)
      .Field("iacvpos", &TDiagForm::iacvpos)
      .Field("InjTiming", &TDiagForm::InjTiming)
      .Field("COTms", &TDiagForm::COTms)
      .Field("otVVTms", &TDiagForm::otVVTms)
      .Field("VVTtarget", &TDiagForm::VVTtarget)
      .Field("VVTactual", &TDiagForm::VVTactual)
      .Field("LambdaV", &TDiagForm::LambdaV)
      .Field("LambdaTrim", &TDiagForm::LambdaTrim)
      .Handler("FormShow", &TDiagForm::FormShow)
      .Handler("Timer1Timer", &TDiagForm::Timer1Timer)
      .Handler("FormClose", &TDiagForm::FormClose)
      .Handler("TelltaleClearClick", &TDiagForm::TelltaleClearClick)
      .Handler("TelltaleLockClick", &TDiagForm::TelltaleLockClick);
}

void TDiagForm::FormShow(TObject*) {
  for (size_t i = 0; i < Input.size(); ++i)
    Input[i] = dynamic_cast<TLabel*>(FindComponent("Input" + IntToStr(static_cast<int>(i + 1))));
  // Values of an earlier link would pass for the ECU's present ones.
  if (!ECUConnected) ShowUnknown();
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

namespace {

AnsiString Fixed(double value, int decimals) { return FloatToStrF(value, ffFixed, 15, decimals); }

AnsiString Converted(int kind, int32_t raw, const TSettingsRecord& units) {
  const std::optional<ecu::UnitValue> u = ecu::ConvertUnitValue(kind, raw, units);
  return u ? u->text : AnsiString();
}

void ShowValue(TLabel* label, const AnsiString& text) {
  if (label != nullptr) label->SetCaption(text);
}

}  // namespace

void TDiagForm::ShowFastLive(const TSettingsRecord& units) {
  const TFastLiveRaw& f = LiveFast;
  ShowValue(rpm, IntToStr(f.RPM));
  ShowValue(throttle, IntToStr(f.ThrottlePercent));
  ShowValue(potnum, IntToStr(f.ThrottleCounts));
  ShowValue(speedsite, IntToStr(f.SpeedSiteByte) + ":" + IntToStr(f.SpeedFractionByte));
  ShowValue(loadsite, IntToStr(f.LoadSiteByte) + ":" + IntToStr(f.LoadFractionByte));
  ShowValue(actualadv, Fixed(f.Advance / 2.0, 1));
  ShowValue(injpw, Fixed(f.InjectionTime, 2));
  ShowValue(TCSpeed, Converted(2, LiveRoadSpeed, units));
  const AnsiString pressure = Converted(1, f.ManifoldPressure / 10, units);
  ShowValue(inlet, pressure);
  ShowValue(boostactual, pressure);
  ShowValue(ClutchStatus, (f.Flags & 2) != 0 ? "DOWN" : "UP");
}

void TDiagForm::ShowSlowLive(const TSettingsRecord& units) {
  const TSlowLiveRaw& s = LiveSlow;
  ShowValue(StatusFlag, IntToStr(s.StatusWord));
  ShowValue(FaultFlag, IntToStr(s.FaultWord));
  ShowValue(airtemp, Converted(0, s.AirTemp, units));
  ShowValue(coolanttemp, Converted(0, s.CoolantTemp, units));
  ShowValue(AuxTemp, Converted(0, s.AuxTemp, units));
  ShowValue(EGTTemp, Converted(0, LiveEGT, units));
  ShowValue(baro, IntToStr(s.BaroMbar));
  ShowValue(battery, Fixed(s.Battery / 11.0, 2));
  ShowValue(boosttarget, Converted(1, s.BoostTarget + 100, units));
  ShowValue(boostpwm, Fixed(s.BoostPWM * 100.0 / 255.0, 1));
  ShowValue(boostlevel, Fixed(s.Duty48 * 0.390625, 1));
  ShowValue(iacvpos, IntToStr(s.IdlePosition));
  ShowValue(InjTiming, IntToStr(s.InjectionTiming * 4));
  ShowValue(COTms, Fixed(s.CoilOnTime * 0.0488, 2));
  ShowValue(otVVTms, IntToStr(s.VVTControl));
  ShowValue(VVTtarget, IntToStr(s.VVTTarget));
  ShowValue(VVTactual, Fixed(s.CamPosition / 2.0, 0));
  ShowValue(GearPos, IntToStr((s.GearWheel & 0x0F) + 1));
  ShowValue(LambdaV, Fixed(s.LambdaSensor * 5.0 / 255.0, 2));
  ShowValue(LambdaTrim, Fixed(s.LambdaTrim / 163.84, 2));
  for (size_t i = 0; i < Input.size(); ++i) ShowValue(Input[i], Fixed(s.AuxInput[i] * 5.0 / 1023.0, 3));
}

void TDiagForm::ShowUnknown() {
  for (TLabel* l : {TimeStamp, ECURunTime, EngRunTime, RPMmax}) ShowValue(l, "Unknown");
  for (TLabel* l : {StatusFlag, FaultFlag, rpm, potnum, baro, EGTTemp}) ShowValue(l, "xxxx");
  for (TLabel* l : {throttle, airtemp, coolanttemp, AuxTemp, iacvpos, InjTiming, otVVTms, VVTtarget, VVTactual})
    ShowValue(l, "xxx");
  for (TLabel* l : {speedsite, loadsite, GearPos, ClutchStatus}) ShowValue(l, "xx");
  for (TLabel* l : {actualadv, injpw, TCSpeed, inlet, boostactual, battery, boosttarget, boostpwm, boostlevel, COTms})
    ShowValue(l, "xx.xx");
  for (TLabel* l : {LambdaV, LambdaTrim}) ShowValue(l, "xx.xx");
  for (TLabel* l : Input) ShowValue(l, "x.xxx");
  if (TelltaleLock != nullptr) TelltaleLock->SetCaption("Unlock");
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
