#include "ecu/Progress.h"

#include <algorithm>
#include <thread>

#include "app/Main.h"
#include "app/MapRecord.h"
#include "ecu/Frames.h"
#include "ecu/LiveData.h"
#include "ecu/PacketHandler.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "serial/AdPort.h"
#include "serial/AdTickTimer.h"

TCommsProgress* CommsProgress = nullptr;

namespace {

// The link watchdog's time: 18 ticks of 55 ms without a live packet.
constexpr auto kLinkLostTime = std::chrono::milliseconds(18 * 55);
// Progress steps of one programmed bank: the image sections and the time stamp.
constexpr int kProgramSteps = 60;
constexpr size_t kNameSize = 32;
constexpr size_t kTextsEnd = 288;
constexpr int kAllMaps = 1;

void CloseWindow(TCommsProgress& w, TModalResult result) {
  if (w.Modal()) w.SetModalResult(result);
  else w.Hide();
}

}  // namespace

namespace ecu {

std::pair<uint16_t, uint16_t> PackedDateTime(const std::tm& t) {
  const int years = std::clamp(t.tm_year - 80, 0, 127);
  const auto date = static_cast<uint16_t>(years << 9 | (t.tm_mon + 1) << 5 | t.tm_mday);
  const auto time = static_cast<uint16_t>(t.tm_hour << 11 | t.tm_min << 5 | std::min(t.tm_sec, 59) / 2);
  return {date, time};
}

std::vector<size_t> ProgramSectionEnds(const MapImage& image, size_t nameLength) {
  nameLength = std::min(nameLength, kNameSize);
  std::vector<size_t> ends;
  auto add = [&](size_t end) {
    if (ends.empty() ? end > 0 : end > ends.back()) ends.push_back(end);
  };
  add(nameLength);
  add(kNameSize);
  // The texts end where the 0xFF fill of their block begins.
  size_t fill = kTextsEnd;
  while (fill > kNameSize && image[fill - 1] == 0xFF) --fill;
  add(fill);
  add(kTextsEnd);
  // The rest in 55 even stretches (about 107 bytes each).
  constexpr size_t kStretches = kProgramSteps - 5;
  const size_t rest = kMapImageSize - kTextsEnd;
  for (size_t i = 1; i <= kStretches; ++i) add(kTextsEnd + rest * i / kStretches);
  return ends;
}

}  // namespace ecu

void TCommsProgress::Publish(TClassProps<TCommsProgress>& P) {
  P.Field("Label5", &TCommsProgress::Label5)
      .Field("ComboBox1", &TCommsProgress::ComboBox1)
      .Field("Panel1", &TCommsProgress::Panel1)
      .Field("map_gauge", &TCommsProgress::map_gauge)
      .Field("Label1", &TCommsProgress::Label1)
      .Field("ok", &TCommsProgress::ok)
      .Field("cancel", &TCommsProgress::cancel)
      .Handler("ComboBox1Change", &TCommsProgress::ComboBox1Change)
      .Handler("FormActivate", &TCommsProgress::FormActivate)
      .Handler("okClick", &TCommsProgress::okClick)
      .Handler("cancelClick", &TCommsProgress::cancelClick);
}

void TCommsProgress::Attach(ecu::PacketHost& link, TApdCustomComPort* port) {
  link_ = &link;
  port_ = port;
}

bool TCommsProgress::PrepareRead() {
  if (!ECUConnected) {
    MessageDlg(kEcuNotConnected, mtInformation, {mbOK});
    return false;
  }
  if (ECUMapsLocked) {
    MessageDlg(kReadLocked, mtInformation, {mbOK});
    return false;
  }
  Label5->SetCaption("Read map :");
  Label5->SetLeft(78);
  ok->Tag = 0;
  ok->SetEnabled(true);
  cancel->SetEnabled(true);
  ecu::ClearMapReadCollector();
  ComboBox1->SetEnabled(true);
  ComboBox1Change(this);
  map_gauge->SetPosition(0);
  map_gauge->SetMax(static_cast<int>(ecu::kMapImageSize));
  Panel1->SetCaption("Select map or maps to be read from the ECU");
  Panel1->Show();
  map_gauge->Hide();
  Label1->Hide();
  return true;
}

bool TCommsProgress::PrepareProgram() {
  if (!ECUConnected) {
    MessageDlg(kEcuNotConnected, mtInformation, {mbOK});
    return false;
  }
  if (!MapSlots.Present(CurrentMap)) {
    MessageDlg(kCurrentMapEmpty, mtError, {mbOK});
    return false;
  }
  if (ECUMapsLocked) MessageDlg(kProgramLocked, mtWarning, {mbOK});
  Label5->SetCaption("Program map :");
  Label5->SetLeft(63);
  ok->Tag = 1;
  LiveEditMarks = 0;
  ok->SetEnabled(true);
  cancel->SetEnabled(true);
  ComboBox1->SetEnabled(true);
  // Programming unlocks the ECU, and the ECU unlocks only when every bank is rewritten.
  if (ECUMapsLocked) {
    ComboBox1->SetItemIndex(kAllMaps);
    ComboBox1->SetEnabled(false);
  }
  ComboBox1Change(this);
  map_gauge->SetPosition(0);
  map_gauge->SetMax(kProgramSteps);
  Panel1->SetCaption("Select map or maps to program to the ECU");
  Panel1->Show();
  map_gauge->Hide();
  Label1->Hide();
  return true;
}

void TCommsProgress::ComboBox1Change(TObject*) {
  Tag = CurrentMap;
  if (ComboBox1->ItemIndex() < 0) ComboBox1->SetItemIndex(0);
  const bool program = ok->Tag != 0;
  if (ComboBox1->ItemIndex() == kAllMaps) {
    MapReadRemaining = 3;
    MapReadNumber = 1;
    SetCaption(program ? "Program all maps to ECU" : "Read all maps from ECU");
  } else {
    MapReadRemaining = 1;
    MapReadNumber = CurrentMap;
    SetCaption(program ? "Program map to ECU" : "Read map from ECU");
  }
}

void TCommsProgress::FormActivate(TObject*) {
  TWinControl* target = ECUMapsLocked ? static_cast<TWinControl*>(ok) : ComboBox1;
  if (target->Enabled() && target->Visible()) SetActiveControl(target);
}

void TCommsProgress::okClick(TObject*) {
  if (Tag <= 0) return CloseWindow(*this, mrOk);
  if (ok->Tag == 0) {
    if (!ECUConnected || link_ == nullptr) return;
    UpdateMapProgress();
    Label1->Show();
    map_gauge->Show();
    Panel1->Hide();
    ComboBox1->SetEnabled(false);
    link_->Send(ecu::ReadMapFrame(MapReadNumber));
    ok->SetEnabled(false);
    cancel->SetEnabled(true);
    return;
  }
  if (ComboBox1->ItemIndex() == kAllMaps && !(MapSlots.Present(1) && MapSlots.Present(2) && MapSlots.Present(3)) &&
      MessageDlg(kMapsEmpty, mtWarning, {mbYes, mbNo}) != mrYes)
    return;
  ProgramMaps();
}

void TCommsProgress::cancelClick(TObject*) { CloseWindow(*this, mrCancel); }

void TCommsProgress::UpdateMapProgress() {
  const char* of = ComboBox1->ItemIndex() == kAllMaps ? "3" : "1";
  Label1->SetCaption("Progress, map " + IntToStr(MapReadNumber) + " of " + of);
}

void TCommsProgress::ProgramMaps() {
  Label1->Show();
  map_gauge->Show();
  Panel1->Hide();
  ComboBox1->SetEnabled(false);
  ok->SetEnabled(false);
  // The link was up when the command started; from here on a live packet has to come
  // within the watchdog time, since the re-arms below keep the watchdog itself quiet.
  NoteLivePackets();
  liveAt_ = std::chrono::steady_clock::now();
  bool programmed = link_ != nullptr && port_ != nullptr;
  const int count = MapReadRemaining;
  for (int i = 0; programmed && i < count; ++i) {
    UpdateMapProgress();
    programmed = SendMap(MapReadNumber);
    if (programmed) ++MapReadNumber;
  }
  ok->SetEnabled(true);
  if (ok->Visible()) SetActiveControl(ok);
  cancel->SetEnabled(false);
  SetCaption(programmed ? kProgramComplete : kProgramFailed);
  Tag = 0;
  if (!programmed) MessageDlg(kProgramLinkLost, mtError, {mbOK});
}

bool TCommsProgress::SendMap(int bank) {
  FormActivate(this);
  map_gauge->SetPosition(0);
  link_->Send(ecu::ProgramMapFrame(bank));
  if (!WaitCommsFree()) return false;

  const TMapRecord& map = MapSlots[bank];
  const ecu::MapImage image = ecu::EncodeMapImage(map);
  const AnsiString name = ecu::MapImageName(map);
  size_t at = 0;
  for (const size_t end : ecu::ProgramSectionEnds(image, name.size())) {
    if (at == 0 && !name.empty()) {
      link_->Send(AnsiString(reinterpret_cast<const char*>(image.data()), end));
    } else {
      for (size_t i = at; i < end; ++i) link_->Send(AnsiString(1, static_cast<char>(image[i])));
    }
    if (!WaitCommsFree()) return false;
    map_gauge->StepBy(1);
    link_->ArmLinkWatchdog();
    at = end;
  }

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const auto [date, time] = ecu::PackedDateTime(local);
  link_->Send(ecu::ProgramTimeStampFrame(date, time, ECUIdentity.MapLockKey));
  map_gauge->StepBy(1);
  if (!WaitCommsFree()) return false;
  map_gauge->SetPosition(map_gauge->Max());
  // The bank counts as programmed only when the ECU is still heard from after it.
  return WaitForLivePacket();
}

void TCommsProgress::NoteLivePackets() {
  const int64_t seen = int64_t{PacketCountsA[0]} + PacketCountsA[1] + PacketCountsB[0] + PacketCountsB[1];
  if (seen != liveSeen_) {
    liveSeen_ = seen;
    liveAt_ = std::chrono::steady_clock::now();
  }
}

bool TCommsProgress::LinkAlive() {
  if (port_ == nullptr || !port_->Open()) return false;
  NoteLivePackets();
  return std::chrono::steady_clock::now() - liveAt_ <= kLinkLostTime;
}

bool TCommsProgress::WaitCommsFree() {
  for (;;) {
    if (!LinkAlive()) return false;
    if (port_->OutputBytesPending() == 0) return true;
    const uint32_t pumped = PumpOneMessage();
    if (pumped == kQuitMessage) return false;
    if (pumped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool TCommsProgress::WaitForLivePacket() {
  const int64_t before = liveSeen_;
  for (;;) {
    if (!LinkAlive()) return false;
    if (liveSeen_ != before) return true;
    const uint32_t pumped = PumpOneMessage();
    if (pumped == kQuitMessage) return false;
    if (pumped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void TCommsProgress::ImportMap(int bank, const ecu::MapImage& image) {
  if (bank < 1 || bank > 3) return;
  try {
    ecu::DecodeMapImage(image, MapSlots[bank]);
  } catch (const Exception&) {
    MessageDlg(kCommunicationProblems, mtError, {mbOK});
    return;
  }
  if (R7Tform1 != nullptr) {
    R7Tform1->ClearEditMarks();
    R7Tform1->RefreshMapTables();
  }
}

bool TCommsProgress::TransferShown() const { return Visible(); }

void TCommsProgress::ProgressAdd(int bytes) { map_gauge->StepBy(bytes); }

void TCommsProgress::ReadNext(int bank) {
  Tag = bank;
  map_gauge->SetPosition(0);
  UpdateMapProgress();
}

void TCommsProgress::ReadComplete() {
  SetCaption(kReadComplete);
  ok->SetEnabled(true);
  if (ok->Visible()) SetActiveControl(ok);
  cancel->SetEnabled(false);
  Tag = 0;
}

void ReadMapsFromEcu(ecu::PacketHost& link, TApdCustomComPort& port) {
  if (CommsProgress == nullptr) return;
  CommsProgress->Attach(link, &port);
  if (CommsProgress->PrepareRead()) CommsProgress->ShowModal();
}

void ProgramMapsIntoEcu(ecu::PacketHost& link, TApdCustomComPort& port) {
  if (CommsProgress == nullptr) return;
  CommsProgress->Attach(link, &port);
  if (CommsProgress->PrepareProgram()) CommsProgress->ShowModal();
}
