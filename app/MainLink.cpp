// The main window's side of the ECU link: the port and packet components, the choice of
// port, the link watchdog and the hand-over of every packet to the packet handler.
#include "app/Main.h"

#include "ecu/MapLock.h"
#include "ecu/Progress.h"
#include "app/MainWindows.h"
#include "app/MapRecord.h"
#include "controls/Aligrid.h"
#include "app/Settings.h"
#include "ecu/EcuPacket.h"
#include "ecu/LiveData.h"
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
  comms->SetAutoOpen(false);
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
    comms->SetComNumber(static_cast<uint16_t>(Settings.CommsPort));
    comms->SetOpen(true);
    LinkWatchdogHandle = comms->NewTimerTrigger();
  } catch (const Exception&) {
    // The saved port is gone or busy: no error box, the user picks another port and
    // the next start asks again.
    comms->RemoveAllTriggers();
    comms->SetOpen(false);
    Settings.CommsAuto = false;
    SelectComPort();
  }
}

void TR7Tform1::SelectComPort() {
  comms->SetOpen(false);
  comms->RemoveAllTriggers();
  ECUConnected = false;
  if (ShowSelectPort()) {
    // With no serial port present the list is empty and Settings.CommsPort names no
    // device: treat that like no choice instead of opening whatever port it names.
    if (os::PortExists(Settings.CommsPort)) {
      try {
        comms->SetComNumber(static_cast<uint16_t>(Settings.CommsPort));
        comms->SetOpen(true);
        LinkWatchdogHandle = comms->NewTimerTrigger();
        return;
      } catch (...) {
        // Shown here rather than passed on, so the caller's work (the first
        // activation's map copies) still completes.
        comms->RemoveAllTriggers();
        comms->SetOpen(false);
        Application->HandleException(this, std::current_exception());
      }
    }
  }
  if (!ECUConnected) ShowMessage(kNoPortSelected);
}

void TR7Tform1::SLIPpktStringPacket(TObject*, const AnsiString& Data) { packets_->HandlePacket(Data); }

void TR7Tform1::SLIPpktTimeout(TObject*) { SLIPpkt->SetEnabled(true); }

void TR7Tform1::commsTriggerTimer(TObject*, uint16_t TriggerHandle) {
  if (TriggerHandle != LinkWatchdogHandle) return;
  if (ECUConnected) ecu::ZeroLiveRawValues();
  ECUConnected = false;
  ECUImmobilised = false;
  ECUMapsLocked = false;
  for (int i = 1; i <= 6; ++i) {
    LiveCellValue[static_cast<size_t>(i)] = 0;
    LiveCellTrim[static_cast<size_t>(i)] = 0;
  }
  ShowLinkLost();
}

void TR7Tform1::ShutDownLink() {
  SLIPpkt->SetEnabled(false);
  SLIPpkt->Disable();
  comms->RemoveAllTriggers();
  comms->SetOpen(false);
}

void TR7Tform1::Send(const AnsiString& bytes) {
  if (comms->Open()) comms->SendString(bytes);
}

void TR7Tform1::ArmLinkWatchdog() {
  if (comms->Open()) comms->ArmTimerTrigger(LinkWatchdogHandle, kWatchdogTicks, true);
}

void TR7Tform1::FastLiveReceived(const ecu::GridMarker& marker) {
  // The operating point's cell of the two main tables stands out in silver.
  for (TStringAlignGrid* grid : {ignitiontable, injectiontable}) {
    if (marker.unmark) grid->SetColorCell(marker.unmark->column, marker.unmark->row, clWhite);
    if (marker.mark) grid->SetColorCell(marker.mark->column, marker.mark->row, clSilver);
  }
  UpdateMapBox1();
  UpdateMapBox2();
  UpdateTarget();
}

void TR7Tform1::SlowLiveReceived() {
  if (MapLockForm != nullptr) MapLockForm->UpdateMapLock(LiveSlow.LockBits);
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
