// The main window's side of the ECU link: the port and packet components, the choice of
// port, the link watchdog and the hand-over of every packet to the packet handler.
#include "app/Main.h"
#include "gauges/AbFlashT.h"
#include "gauges/AbPaced.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "config/TempCalculator.h"
#include "config/setup.h"

#include "config/SelectMap.h"
#include "ecu/Diag.h"
#include "ecu/FlashUpdate.h"
#include "ecu/Immobiliser.h"
#include "ecu/MapLock.h"
#include "ecu/Progress.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/StdCtrls.h"
#include "app/MainWindows.h"
#include "model/MapRecord.h"
#include "controls/Aligrid.h"
#include "model/Settings.h"
#include "link/ConfigRequests.h"
#include "link/EcuPacket.h"
#include "model/Frames.h"
#include "link/LiveData.h"
#include "platform/os/Clock.h"
#include "platform/os/ComPorts.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "serial/AdPacket.h"
#include "serial/AdPort.h"

namespace {
// Ticks (55 ms) without a fast live packet before the link counts as lost.
constexpr int32_t kWatchdogTicks = 18;
}  // namespace

void TR7Tform1::CreateLinkComponents() {
  // The port runs at 19200 baud 8-N-1 without flow control; DTR stays low because the
  // ECU's interface takes power from it otherwise. A missing port raises instead of
  // asking the user, so the caller decides what to offer.
  comms = new TApdComPort(this);
  comms->SetName("comms");
  comms->SetPromptForPort(false);
  comms->SetDTR(false);
  comms->SetBaud(19200);
  comms->SetOnTriggerTimer([this](TObject* CP, uint16_t handle) { commsTriggerTimer(CP, handle); });

  SLIPpkt = new TApdDataPacket(this);
  SLIPpkt->SetName("SLIPpkt");
  SLIPpkt->SetComPort(comms);
  ecu::ShapeEcuPacket(*SLIPpkt);
  SLIPpkt->SetOnStringPacket([this](TObject* Sender, const AnsiString& body) { SLIPpktStringPacket(Sender, body); });
  SLIPpkt->SetOnTimeout([this](TObject* Sender) { SLIPpktTimeout(Sender); });

  packets_ = std::make_unique<ecu::PacketHandler>(*this, Settings);
}

void TR7Tform1::OpenSavedPort() {
  if (!Settings.CommsAuto) {
    SelectComPort();
    return;
  }
  try {
    OpenLink();
  } catch (const Exception&) {
    // The saved port is gone or busy: no error box, the user picks another port and
    // the next start asks again.
    comms->SetOpen(false);
    Settings.CommsAuto = false;
    SelectComPort();
  }
}

void TR7Tform1::OpenLink() {
  // A close asked for from inside a packet event (communications disabled) completes a
  // moment later, once that event has returned; opening before then would leave the open
  // pending and the watchdog trigger unmade.
  for (int i = 0; comms->PortState() == 1 && i < 3000; ++i) {
    Application->ProcessMessages();
    os::Sleep(1);
  }
  comms->SetComNumber(static_cast<uint16_t>(Settings.CommsPort));
  comms->SetOpen(true);
  LinkWatchdogHandle = comms->NewTimerTrigger();
  // After communications were disabled the packets were switched off and the handler
  // ignored everything; a port chosen again starts a fresh link.
  packets_->Resume();
  ecu::ConfigRequests.Reset();
  SLIPpkt->SetEnabled(true);
}

void TR7Tform1::SelectComPort() {
  comms->SetOpen(false);
  comms->RemoveAllTriggers();
  // The closed port ends the link as a silent ECU does: the screen says so at once.
  LinkDown();
  if (ShowSelectPort()) {
    // With no serial port present the list is empty and Settings.CommsPort names no
    // device: treat that like no choice instead of opening whatever port it names.
    if (os::PortExists(Settings.CommsPort)) {
      try {
        OpenLink();
        return;
      } catch (...) {
        // Shown here rather than passed on, so the caller's work (the first
        // activation's map copies) still completes.
        comms->SetOpen(false);
        Application->HandleException(this, std::current_exception());
      }
    }
  }
  if (!ECUConnected) ShowMessage(kNoPortSelected);
}

void TR7Tform1::SLIPpktStringPacket(TObject*, const AnsiString& Data) {
  // Packets from the line come up to twenty times a second: their dashboard is paced.
  pace_live_ = true;
  try {
    packets_->HandlePacket(Data);
  } catch (...) {
    pace_live_ = false;
    throw;
  }
  pace_live_ = false;
}

void TR7Tform1::SLIPpktTimeout(TObject*) { SLIPpkt->SetEnabled(true); }

void TR7Tform1::commsTriggerTimer(TObject*, uint16_t TriggerHandle) {
  if (TriggerHandle == LinkWatchdogHandle) LinkDown();
}

void TR7Tform1::LinkDown() {
  // While a firmware update runs its window reads the ECU's state itself: the live texts
  // and the identity stay as they are.
  const bool updating = FlashUpdateForm != nullptr && FlashUpdateForm->Visible();
  // A dashboard refresh still waiting shows the last packet, unless that is blanked now.
  if (live_refresh_) {
    if (ECUConnected && !updating) {
      live_refresh_->Cancel();
      fast_due_ = slow_due_ = false;
    } else {
      live_refresh_->Flush();
    }
  }
  if (ECUConnected && !updating) {
    ecu::ZeroLiveRawValues();
    ShowLivePlaceholders();
    if (SetupForm != nullptr) SetupForm->ShowLinkLost();
  }
  ECUConnected = false;
  LiveEditMarks = 0;
  ECUImmobilised = false;
  ECUMapsLocked = false;
  for (int i = 1; i <= 6; ++i) {
    LiveCellValue[static_cast<size_t>(i)] = 0;
    LiveCellTrim[static_cast<size_t>(i)] = 0;
  }
  ShowLinkLost();
  if (SelectMapForm != nullptr && SelectMapForm->Visible()) SelectMapForm->UpdateOptions();
  if (SetupForm != nullptr) SetupForm->ConfigOnline(false);
  // No configuration reply still due will come; an upload waiting for its read-back
  // did not finish as far as anyone can tell.
  ecu::ConfigRequests.LinkLost();
  if (ecu::ConfigRequests.UploadBroken() && SetupForm != nullptr) SetupForm->UploadUnfinished();
}

void TR7Tform1::ShowLivePlaceholders() {
  // No stale engine value stays on screen once the ECU is silent.
  for (TPanel* p : {map_advance, actual_advance, ignition_trim, map_injection, actual_injection, injection_trim})
    if (p != nullptr) p->SetCaption("0");
  if (speed_site != nullptr) speed_site->SetCaption("XX");
  for (const char* name : {"TelltaleToggle", "TellTaleClear"})
    if (auto* c = dynamic_cast<TControl*>(FindComponent(name))) c->SetEnabled(false);
  if (TelltaleStatus != nullptr) TelltaleStatus->SetCaption("Unknown");
  if (TellTaleMax != nullptr) TellTaleMax->SetCaption("Unknown");
  if (DiagForm != nullptr && DiagForm->Visible() && DiagForm->TelltaleLock != nullptr)
    DiagForm->TelltaleLock->SetCaption("Unlock");
  BlankLiveDisplays();
}

void TR7Tform1::ShutDownLink() {
  // The triggers stay with the closed port; choosing a port again starts from them.
  SLIPpkt->SetEnabled(false);
  SLIPpkt->Disable();
  comms->SetOpen(false);
}

void TR7Tform1::Send(const AnsiString& bytes) {
  // A closed port opens itself (AutoOpen); one that cannot raises, and the message says why.
  comms->SendString(bytes);
  // Every configuration request is logged, so each reply is matched with what it answers.
  if (bytes == ecu::ConfigRequestFrame()) ecu::ConfigRequests.Requested(os::MonotonicMilliseconds());
}

void TR7Tform1::ArmLinkWatchdog() {
  if (comms->Open()) comms->ArmTimerTrigger(LinkWatchdogHandle, kWatchdogTicks, true);
}

void TR7Tform1::FastLiveReceived(const ecu::GridMarker& marker) {
  StatusPanel->Font()->SetColor(clBlack);
  StatusPanel->SetCaption(ECUImmobilised   ? "ECU IMMOBILISED"
                          : ECUMapsLocked ? "ECU LOCKED"
                                          : "Status - ECU connected");
  if (SelectMapForm != nullptr && SelectMapForm->Visible()) SelectMapForm->UpdateOptions();
  // The wizard shows the sensor's counts as the ECU sends them, negative for a sensor that
  // reads the other way round; the learning takes their absolute value.
  if (Alignment != nullptr && Alignment->Visible()) Alignment->ShowLive(LiveFast.ThrottleSigned, LiveLoadSite);
  NoteLiveMark(marker);
  // Every packet's accel value reaches the meter's peaks, not only those the dashboard draws.
  if (AdditionalMaps != nullptr) AdditionalMaps->MeterValueReceived();
  RefreshLiveDisplays(true, false);
}

// The line's packets come faster than anyone reads a number: their dashboard is drawn
// about five times a second, always with the newest packets' values. Packets handed in
// otherwise (not from the line) show at once.
void TR7Tform1::RefreshLiveDisplays(bool fast, bool slow) {
  constexpr unsigned kLivePaceMs = 200;
  if (!live_refresh_) {
    live_refresh_ = std::make_unique<TAbPacedCall>(kLivePaceMs, [this] {
      const bool fastDue = fast_due_, slowDue = slow_due_;
      fast_due_ = slow_due_ = false;
      if (fastDue) RefreshFastDisplays();
      if (slowDue) SlowLiveDisplays();
      // A gauge blinking past its range (the injection duty bar, ...) flips with this
      // drawing, not on a wake-up of its own, while the line's packets come.
      if (pace_live_) abflash::PacedPass(kLivePaceMs);
    });
  }
  fast_due_ = fast_due_ || fast;
  slow_due_ = slow_due_ || slow;
  if (pace_live_) live_refresh_->Request();
  else live_refresh_->RunNow();
}

void TR7Tform1::RefreshFastDisplays() {
  if (speed_site != nullptr) speed_site->SetCaption(IntToStr(LiveSpeedSite));
  ShowLiveMark();
  UpdateMapBox1();
  UpdateMapBox2();
  UpdateTarget();
  FastLiveDisplays();
}

void TR7Tform1::SlowLiveReceived() {
  // The telltale memory: capture on or off, and the highest engine speed it holds.
  if (TelltaleStatus != nullptr) {
    TelltaleStatus->Font()->SetColor(clBlue);
    TelltaleStatus->SetCaption(TelltaleOn ? "ON" : "OFF");
  }
  for (const char* name : {"TelltaleToggle", "TellTaleClear"})
    if (auto* c = dynamic_cast<TControl*>(FindComponent(name))) c->SetEnabled(true);
  if (TellTaleMax != nullptr)
    TellTaleMax->SetCaption(LiveSlow.TelltaleMaximum > 16000 ? AnsiString("16000+") : IntToStr(LiveSlow.TelltaleMaximum));
  // The lock button offers what the ECU's telltale memory allows next: unlock while it is
  // locked (top bit of the telltale word), lock otherwise.
  if (DiagForm != nullptr && DiagForm->Visible() && DiagForm->TelltaleLock != nullptr)
    DiagForm->TelltaleLock->SetCaption((LiveSlow.TelltaleWord & 0x8000) != 0 ? "Unlock" : "Lock");
  if (MapLockForm != nullptr) MapLockForm->UpdateMapLock(LiveSlow.LockBits);
  RefreshLiveDisplays(false, true);
  if (SetupForm != nullptr && SetupForm->Visible()) SetupForm->ShowLiveReadings();
  UpdateImmobiliser();
}

void TR7Tform1::UpdateImmobiliser() {
  if (ImmobForm != nullptr) ImmobForm->UpdateImmobiliser(static_cast<uint8_t>(LiveSlow.LockBits));
}

void TR7Tform1::ActiveMapDiffers(int32_t bank) {
  ShowMapChoice(bank, true, true);
  RefreshMapTables();
}

void TR7Tform1::ProtocolRejected(const AnsiString& message) {
  MessageDlg(message, mtWarning, TMsgDlgButtons{mbOK});
  ShutDownLink();
  ECUConnected = false;
  ECUImmobilised = false;
  ECUMapsLocked = false;
  StatusPanel->Font()->SetColor(clRed);
  StatusPanel->SetCaption("Status - COMMS DISABLED");
}

void TR7Tform1::LockMessageReceived(const AnsiString& text) {
  if (MapLockForm != nullptr) MapLockForm->ShowLockMessage(text);
}

std::optional<ecu::SensorView> TR7Tform1::SensorViewShown() {
  if (TempCalc == nullptr || !TempCalc->Visible()) return std::nullopt;
  return ecu::SensorView{TempCalc->SensorCaption->Tag, TempCalc->ShowsResistance()};
}

void TR7Tform1::SensorReadingReceived(const AnsiString& text) {
  if (TempCalc != nullptr) TempCalc->ShowReading(text);
}

bool TR7Tform1::MapTransferShown() { return CommsProgress != nullptr && CommsProgress->TransferShown(); }

void TR7Tform1::MapProgressAdd(int bytes) {
  if (CommsProgress != nullptr) CommsProgress->ProgressAdd(bytes);
}

void TR7Tform1::ImportMap(int bank, const ecu::MapImage& image) {
  if (CommsProgress != nullptr) CommsProgress->ImportMap(bank, image);
}

void TR7Tform1::MapReadNext(int bank) {
  if (CommsProgress != nullptr) CommsProgress->ReadNext(bank);
}

void TR7Tform1::MapReadComplete() {
  if (CommsProgress != nullptr) CommsProgress->ReadComplete();
}

void TR7Tform1::MapReadFailed(int bank) {
  if (CommsProgress != nullptr) CommsProgress->ReadFailed(bank);
}
