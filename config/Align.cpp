#include "config/Align.h"

#include <algorithm>
#include <vector>

#include "app/Main.h"
#include "controls/AdvSpin.h"
#include "link/LiveData.h"
#include "model/Frames.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/os/Clock.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

config::TAlignment* Alignment = nullptr;

namespace config {

namespace {

constexpr uint16_t kIdlePotBase = 4672;  // bank 1's idle-switch pot number
constexpr uint16_t kBankStride = 6144;
constexpr uint16_t kCutPotDistance = 6;
// The ECU takes the range frame one byte per serial tick.
constexpr uint32_t kRangeBytePauseMs = 55;

}  // namespace

ThrottleLearning LearnThrottle(int min, int max, int idleOffset, int cutOffset) {
  ThrottleLearning t;
  t.min = min;
  t.max = max;
  t.range = max - min;
  t.accepted = t.range > kSmallestThrottleRange;
  t.idlePot = std::min(idleOffset + min, kHighestPotNumber);
  t.cutPot = std::min(cutOffset + min, kHighestPotNumber);
  return t;
}

uint16_t IdlePotAddress(int bank) { return static_cast<uint16_t>(kIdlePotBase + (bank - 1) * kBankStride); }
uint16_t CutPotAddress(int bank) { return static_cast<uint16_t>(IdlePotAddress(bank) + kCutPotDistance); }

void TAlignment::Publish(TClassProps<TAlignment>& P) {
  P.Field("alignment_info", &TAlignment::alignment_info)
      .Field("sensorbox", &TAlignment::sensorbox)
      .Field("sensor_number", &TAlignment::sensor_number)
      .Field("loadsitebox", &TAlignment::loadsitebox)
      .Field("loadsite_number", &TAlignment::loadsite_number)
      .Field("AutoIdlePotNum", &TAlignment::AutoIdlePotNum)
      .Field("IdlePotNumOffset", &TAlignment::IdlePotNumOffset)
      .Field("AutoCutPotNum", &TAlignment::AutoCutPotNum)
      .Field("CutPotNumOffset", &TAlignment::CutPotNumOffset)
      .Field("Label1", &TAlignment::Label1)
      .Field("ComboBox1", &TAlignment::ComboBox1)
      .Field("ok", &TAlignment::ok)
      .Field("cancel", &TAlignment::cancel)
      .Field("invert", &TAlignment::invert)
      .Handler("FormShow", &TAlignment::FormShow)
      .Handler("okClick", &TAlignment::okClick)
      .Handler("invertClick", &TAlignment::invertClick)
      .Handler("AutoIdlePotNumClick", &TAlignment::AutoIdlePotNumClick)
      .Handler("AutoCutPotNumClick", &TAlignment::AutoCutPotNumClick)
      .Handler("IdlePotNumOffsetChange", &TAlignment::IdlePotNumOffsetChange)
      .Handler("CutPotNumOffsetChange", &TAlignment::CutPotNumOffsetChange)
      .Handler("ComboBox1Change", &TAlignment::ComboBox1Change);
}

void TAlignment::FormShow(TObject*) {
  step_ = 0;
  cancel->SetVisible(true);
}

void TAlignment::ShowLines(std::initializer_list<const char*> lines) {
  TStrings* memo = alignment_info->Lines();
  memo->Clear();
  for (const char* l : lines) memo->Add(l);
}

void TAlignment::ShowLive(int counts, int loadSite) {
  sensor_number->SetCaption(IntToStr(counts));
  loadsite_number->SetCaption(IntToStr(loadSite));
}

void TAlignment::okClick(TObject*) {
  // Once the settings are sent the last OK only closes: it needs no link, so a link lost
  // after sending never keeps the tuner in the window.
  if (step_ >= 3) {
    step_ = 4;
    SetModalResult(mrOk);
    return;
  }
  if (!ECUConnected) {
    MessageDlg(kAlignNotConnected, mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  ++step_;
  if (step_ == 1) StartLearning();
  else if (step_ == 2) ShowResult();
  else SendResult();
}

void TAlignment::StartLearning() {
  TPSLearnMin = kHighestPotNumber;
  TPSLearnMax = 0;
  ShowLines({"", "", "", "Apply full throttle and then release.", "", "Select OK to proceed"});
}

void TAlignment::ShowResult() {
  learnt_ = LearnThrottle(TPSLearnMin, TPSLearnMax, Settings.AutoIdlePotNum, Settings.AutoCutPotNum);
  if (!learnt_.accepted) step_ -= 2;  // the next OK learns afresh
  ShowLearnt();
}

void TAlignment::ShowLearnt() {
  const AnsiString minMax = "Min = " + IntToStr(learnt_.min) + ", Max = " + IntToStr(learnt_.max);
  TStrings* memo = alignment_info->Lines();
  memo->Clear();
  if (!learnt_.accepted) {
    for (const AnsiString& l : {AnsiString(), AnsiString(), AnsiString("Throttle pot range Error!"), AnsiString(),
                                minMax, AnsiString(), AnsiString("Select OK to try again, or Cancel to Exit"),
                                AnsiString()})
      memo->Add(l);
    return;
  }
  for (const AnsiString& l : {AnsiString(), AnsiString(), AnsiString(),
                              AnsiString("The following throttle settings will be stored in the ECU."), AnsiString(),
                              minMax})
    memo->Add(l);
  if (Settings.AutoIdlePotUpdate) memo->Add("Idle control pot num = " + IntToStr(learnt_.idlePot));
  if (Settings.AutoCutNumUpdate) memo->Add("Overrun cut-off pot num = " + IntToStr(learnt_.cutPot));
  memo->Add("");
  memo->Add("Select OK to proceed");
}

void TAlignment::SendResult() {
  // From here on the ECU takes the settings: there is nothing left to cancel.
  cancel->SetVisible(false);
  ShowLines({"", "", "", "Please Wait..."});
  std::vector<int> banks;
  if (Settings.AutoSetMaps == 1) banks.push_back(CurrentMap);
  else banks = {1, 2, 3};
  try {
    for (char c : ecu::ThrottleRangeFrame(static_cast<uint16_t>(learnt_.max), static_cast<uint16_t>(learnt_.min))) {
      R7Tform1->Send(AnsiString(1, c));
      os::Sleep(kRangeBytePauseMs);
    }
    for (int b : banks) {
      if (Settings.AutoIdlePotUpdate) {
        MapSlots[b].IdleThrottleSwitch = static_cast<int16_t>(learnt_.idlePot);
        R7Tform1->Send(ecu::MemoryWriteWordFrame(IdlePotAddress(b), static_cast<uint16_t>(learnt_.idlePot)));
      }
      if (Settings.AutoCutNumUpdate) {
        MapSlots[b].OverrunCutThrottle = static_cast<uint16_t>(learnt_.cutPot);
        R7Tform1->Send(ecu::MemoryWriteWordFrame(CutPotAddress(b), static_cast<uint16_t>(learnt_.cutPot)));
      }
    }
  } catch (const Exception&) {
    // The port refused the bytes: the result stays shown so OK can send it again, and
    // Cancel can still leave without sending.
    step_ = 2;
    cancel->SetVisible(true);
    ShowLearnt();
    throw;
  }
  if (R7Tform1->IdlePotSw != nullptr) R7Tform1->IdlePotSw->SetValue(MapSlots[CurrentMap].IdleThrottleSwitch);
  if (R7Tform1->CutOffPot != nullptr) R7Tform1->CutOffPot->SetValue(MapSlots[CurrentMap].OverrunCutThrottle);
  ShowLines({"", "", "Done", "", "Select OK to proceed"});
}

void TAlignment::invertClick(TObject*) {
  if (!ECUConnected) return;
  for (char c : ecu::AlignmentFrame(ecu::AlignmentCommand::ThrottleInverted)) R7Tform1->Send(AnsiString(1, c));
}

void TAlignment::AutoIdlePotNumClick(TObject*) {
  Settings.AutoIdlePotUpdate = AutoIdlePotNum->Checked();
  IdlePotNumOffset->SetEnabled(Settings.AutoIdlePotUpdate);
}

void TAlignment::AutoCutPotNumClick(TObject*) {
  Settings.AutoCutNumUpdate = AutoCutPotNum->Checked();
  CutPotNumOffset->SetEnabled(Settings.AutoCutNumUpdate);
}

void TAlignment::IdlePotNumOffsetChange(TObject*) {
  Settings.AutoIdlePotNum = std::clamp(IdlePotNumOffset->Value(), 0, kHighestPotNumber);
}

void TAlignment::CutPotNumOffsetChange(TObject*) {
  Settings.AutoCutPotNum = std::clamp(CutPotNumOffset->Value(), 0, kHighestPotNumber);
}

void TAlignment::ComboBox1Change(TObject*) { Settings.AutoSetMaps = std::max(ComboBox1->ItemIndex(), 0); }

}  // namespace config
