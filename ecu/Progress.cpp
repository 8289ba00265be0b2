#include "ecu/Progress.h"

#include <algorithm>
#include <thread>

#include "app/Main.h"
#include "model/MapRecord.h"
#include "model/Frames.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/rtl/Numbers.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"
#include "serial/AdPort.h"
#include "serial/AdTickTimer.h"

TCommsProgress* CommsProgress = nullptr;

namespace {

// How long the ECU may stay silent after the last programmed bank before the programming
// counts as failed: it writes the bank and then resumes its live packets.
constexpr auto kAnswerAfterProgramming = std::chrono::seconds(5);
// Progress steps of one programmed bank: the image sections and the time stamp.
constexpr int kProgramSteps = 60;
constexpr size_t kNameSize = 32;
constexpr size_t kTextsEnd = 288;
constexpr int kAllMaps = 1;
// A bank takes about 3.3 s at 19,200 baud in chunks of some 250 bytes, each on the line for
// about 130 ms. A read that receives no chunk for 3 s has lost its bank; a line without a
// map chunk for 0.6 s carries no more of a bank.
constexpr unsigned kStallTickMs = 250;
constexpr int kStallTicks = 12;
constexpr auto kMapChunksQuiet = std::chrono::milliseconds(600);

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
  if (stallTimer_ == nullptr) {
    stallTimer_ = new TTimer(this);
    stallTimer_->SetEnabled(false);
    stallTimer_->SetInterval(kStallTickMs);
    stallTimer_->OnTimer = [this](TObject* sender) { StallTimerTimer(sender); };
  }
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
    ok->SetEnabled(false);
    cancel->SetEnabled(true);
    // The ECU finishes a bank it has started even when its read was given up; the new
    // read asks only once that bank has passed, and starts with an empty collector.
    if (!WaitForMapChunksToStop()) return;
    ecu::ClearMapReadCollector();
    map_gauge->SetPosition(0);
    MapReadActive = true;
    chunksSeen_ = MapChunksReceived;
    quietTicks_ = 0;
    if (stallTimer_ != nullptr) stallTimer_->SetEnabled(true);
    link_->Send(ecu::ReadMapFrame(MapReadNumber));
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
  // Nothing goes out while the ECU still sends a bank whose read was given up: it might
  // not take the image in. The progress names the first map meanwhile.
  UpdateMapProgress();
  if (!WaitForMapChunksToStop()) return;
  // The ECU may stay silent while it writes a bank, so nothing is expected of it until
  // the last bank is through; only the line itself failing ends the programming early.
  const int count = MapReadRemaining;
  const int first = MapReadNumber;
  bool lineOk = link_ != nullptr && port_ != nullptr;
  int done = 0;
  for (; lineOk && done < count; ++done) {
    UpdateMapProgress();
    try {
      lineOk = SendMap(MapReadNumber);
    } catch (const Exception&) {
      lineOk = false;  // the port refused the bytes: the line is gone
    }
    if (!lineOk) break;
    ++MapReadNumber;
  }
  // Everything is on the line: the ECU shows it is running again by its live packets.
  const bool answered = lineOk && WaitForLivePacket();
  ok->SetEnabled(true);
  if (ok->Visible()) SetActiveControl(ok);
  cancel->SetEnabled(false);
  SetCaption(answered ? kProgramComplete : kProgramFailed);
  Tag = 0;
  if (answered) return;
  if (!lineOk) {
    AnsiString missing;
    for (int i = done; i < count; ++i) missing += (missing.empty() ? "map " : ", map ") + IntToStr(first + i);
    MessageDlg(AnsiString(kProgramLineLost) + missing + "\rCheck the connection and program them again.", mtError,
               {mbOK});
  } else {
    MessageDlg(kProgramNoAnswer, mtError, {mbOK});
  }
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
  return true;
}

int64_t TCommsProgress::LivePacketsSeen() const {
  return int64_t{PacketCountsA[0]} + PacketCountsA[1];
}

bool TCommsProgress::LineUsable() const { return port_ != nullptr && port_->Open() && !port_->LineLost(); }

bool TCommsProgress::WaitCommsFree() {
  for (;;) {
    if (!LineUsable()) return false;
    if (port_->OutputBytesPending() == 0) return true;
    const uint32_t pumped = PumpOneMessage();
    if (pumped == kQuitMessage) return false;
    if (pumped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool TCommsProgress::WaitForLivePacket() {
  const int64_t before = LivePacketsSeen();
  const auto deadline = std::chrono::steady_clock::now() + kAnswerAfterProgramming;
  for (;;) {
    if (LivePacketsSeen() != before) return true;
    if (!LineUsable() || std::chrono::steady_clock::now() > deadline) return false;
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
  if (stallTimer_ != nullptr) stallTimer_->SetEnabled(false);
  SetCaption(kReadComplete);
  ok->SetEnabled(true);
  if (ok->Visible()) SetActiveControl(ok);
  cancel->SetEnabled(false);
  Tag = 0;
}

void TCommsProgress::ReadFailed(int bank) {
  if (stallTimer_ != nullptr) stallTimer_->SetEnabled(false);
  bankMayBeArriving_ = true;
  SetCaption(kReadFailed);
  ok->SetEnabled(true);
  if (ok->Visible()) SetActiveControl(ok);
  cancel->SetEnabled(false);
  Tag = 0;
  const int last = ComboBox1->ItemIndex() == kAllMaps ? 3 : bank;
  AnsiString missing;
  for (int n = bank; n <= last; ++n) missing += (n == bank ? "map " : ", map ") + IntToStr(n);
  MessageDlg(AnsiString(kReadIncomplete) + missing + "\rCheck the connection and read the maps again.", mtError,
             {mbOK});
}

void TCommsProgress::ReadClosed() {
  if (stallTimer_ != nullptr) stallTimer_->SetEnabled(false);
  if (MapReadActive) bankMayBeArriving_ = true;
  MapReadActive = false;
}

void TCommsProgress::StallTimerTimer(TObject*) {
  if (!MapReadActive) {
    quietTicks_ = 0;  // between banks, or while a bank is imported
    return;
  }
  if (MapChunksReceived != chunksSeen_) {
    chunksSeen_ = MapChunksReceived;
    quietTicks_ = 0;
    return;
  }
  if (++quietTicks_ < kStallTicks) return;
  const int bank = MapReadNumber;
  MapReadActive = false;
  MapReadRemaining = 0;
  ecu::ClearMapReadCollector();
  ReadFailed(bank);
}

bool TCommsProgress::WaitForMapChunksToStop() {
  return LetGivenUpBankPass([this] { return !Visible() || ModalResult() != mrNone; });
}

bool TCommsProgress::LetGivenUpBankPass(const std::function<bool()>& giveUp) {
  if (!bankMayBeArriving_) return true;
  int32_t seen = MapChunksReceived;
  auto quietSince = std::chrono::steady_clock::now();
  for (;;) {
    if (giveUp()) return false;
    const uint32_t pumped = PumpOneMessage();
    if (pumped == kQuitMessage) return false;
    const auto now = std::chrono::steady_clock::now();
    if (MapChunksReceived != seen) {
      seen = MapChunksReceived;
      quietSince = now;
    } else if (pumped == 0) {
      // Only with nothing left to handle: chunks queued meanwhile count first.
      if (now - quietSince >= kMapChunksQuiet) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  bankMayBeArriving_ = false;
  return true;
}

void ReadMapsFromEcu(ecu::PacketHost& link, TApdCustomComPort& port) {
  if (CommsProgress == nullptr) return;
  CommsProgress->Attach(link, &port);
  if (!CommsProgress->PrepareRead()) return;
  CommsProgress->ShowModal();
  CommsProgress->ReadClosed();
}

void ProgramMapsIntoEcu(ecu::PacketHost& link, TApdCustomComPort& port) {
  if (CommsProgress == nullptr) return;
  CommsProgress->Attach(link, &port);
  if (CommsProgress->PrepareProgram()) CommsProgress->ShowModal();
}
