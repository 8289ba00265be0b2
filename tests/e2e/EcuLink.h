#pragma once
// The program's ECU link, wired the way the main window wires it, talking to the simulated
// ECU on a pseudo-terminal: the port `comms` (opened through the port-number override), the
// packet `SLIPpkt` cutting the stream into packet bodies, the packet handler decoding them,
// and the link watchdog on a timer trigger of the port.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "model/ConfigBlock.h"
#include "link/EcuPacket.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "ecusim/PtyEcu.h"
#include "serial/AdPacket.h"
#include "serial/AdPort.h"
#include "serial/AwGui.h"

namespace e2e {

// Generous limit for anything that should arrive; tests never bound how fast it comes.
constexpr int kArriveMs = 15000;

// Handles GUI-thread messages until `done` holds or kArriveMs passed.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kArriveMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!apd::gui::PumpMessages()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// The main window's part: sends through the port, re-arms the watchdog, counts what came.
class LinkHost : public ecu::PacketHost {
 public:
  void Send(const AnsiString& bytes) override { comms->SendString(bytes); }
  void ArmLinkWatchdog() override { comms->ArmTimerTrigger(watchdog, 18, true); }
  void FastLiveReceived(const ecu::GridMarker&) override { fast.push_back(LiveFast); }
  void SlowLiveReceived() override { ++slow; }
  void IdentityReceived() override { ++identities; }
  void ConfigurationReceived() override { ++configs; }

  TApdComPort* comms = nullptr;
  uint16_t watchdog = 0;
  std::vector<TFastLiveRaw> fast;
  int slow = 0, identities = 0, configs = 0;
};

class EcuLink : public ::testing::Test {
 protected:
  // `comNumber` must differ between the tests of a program, which may run side by side.
  explicit EcuLink(int comNumber) : com_(comNumber) {}

  void SetUp() override {
    units = TSettingsRecord{};
    FillChannelFunctions(units);
    ecu::ZeroLiveRawValues();
    LiveValues.fill(0);
    ECUConnected = ECUImmobilised = ECUMapsLocked = LoggingActive = false;
    FlashState = 0;
    DroppedPacketCount = 0;
    ConfigReadCopy = TConfigBlock{};

    sim.Start();
    sim.ExportAsComPort(com_);
    comms = new TApdComPort(&form);
    comms->SetPromptForPort(false);
    comms->SetDTR(false);
    comms->SetOnTriggerTimer([this](TObject*, uint16_t handle) { OnTimer(handle); });
    SLIPpkt = new TApdDataPacket(&form);
    SLIPpkt->SetComPort(comms);
    ecu::ShapeEcuPacket(*SLIPpkt);
    SLIPpkt->SetOnStringPacket([this](TObject*, const AnsiString& body) { handler.HandlePacket(body); });
    SLIPpkt->SetOnTimeout([this](TObject*) {
      ++packetTimeouts;
      SLIPpkt->SetEnabled(true);
    });
    host.comms = comms;
    OpenPort();
  }

  // The order the main window closes in: detection off, port closed, then the objects.
  void TearDown() override {
    SLIPpkt->SetEnabled(false);
    comms->SetOpen(false);
    delete SLIPpkt;
    delete comms;
    unsetenv(("CORVANEQ5_COM" + std::to_string(com_)).c_str());
    sim.Stop();
  }

  // Opens the port on the simulator's current terminal with a fresh watchdog trigger.
  void OpenPort() {
    sim.ExportAsComPort(com_);
    comms->SetComNumber(static_cast<uint16_t>(com_));
    comms->SetOpen(true);
    host.watchdog = comms->NewTimerTrigger();
  }

  // The link watchdog: blanks the live values when the link was up, and always marks it
  // down.
  void OnTimer(uint16_t handle) {
    if (handle != host.watchdog) return;
    if (ECUConnected) {
      ecu::ZeroLiveRawValues();
      ++linksLost;
    }
    ECUConnected = ECUImmobilised = ECUMapsLocked = false;
    LiveCellValue.fill(0);
  }

  int com_;
  ecusim::PtyEcu sim;
  TSettingsRecord units;
  TComponent form{nullptr};
  TApdComPort* comms = nullptr;
  TApdDataPacket* SLIPpkt = nullptr;
  LinkHost host;
  ecu::PacketHandler handler{host, units};
  int linksLost = 0;
  int packetTimeouts = 0;
};

}  // namespace e2e
