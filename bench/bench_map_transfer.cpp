// How long one map bank takes to program and to read over a line paced at the real
// 19,200 baud (the simulated ECU on a pseudo-terminal), against what the line allows:
// 6,144 image bytes at 1,920 bytes a second is 3.2 s each way. The counters report the
// achieved bytes per second and the share of the line's rate.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "model/ChannelFunctions.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "app/Windows.h"
#include "link/LiveData.h"
#include "model/MapImage.h"
#include "link/PacketHandler.h"
#include "ecu/Progress.h"
#include "ecusim/PtyEcu.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"
#include "serial/AdPacket.h"
#include "serial/AdPort.h"
#include "serial/AwGui.h"

namespace {

constexpr int kComNumber = 239;
constexpr double kLineBytesPerSecond = 19200.0 / 10.0;

bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!apd::gui::PumpMessages()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class BenchHost : public ecu::PacketHost {
 public:
  void Send(const AnsiString& bytes) override { comms->SendString(bytes); }
  void ArmLinkWatchdog() override { comms->ArmTimerTrigger(watchdog, 18, true); }
  bool MapTransferShown() override { return CommsProgress->TransferShown(); }
  void MapProgressAdd(int bytes) override { CommsProgress->ProgressAdd(bytes); }
  void ImportMap(int bank, const ecu::MapImage& image) override { CommsProgress->ImportMap(bank, image); }
  void MapReadNext(int bank) override { CommsProgress->ReadNext(bank); }
  void MapReadComplete() override { CommsProgress->ReadComplete(); }
  TApdComPort* comms = nullptr;
  uint16_t watchdog = 0;
};

// The program's link on the paced simulator, as the end-to-end tests wire it.
struct PacedLink {
  PacedLink() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
    FillChannelFunctions(units);
    sim.Start();
    sim.SetPacedBaud(19200);
    sim.ExportAsComPort(kComNumber);
    comms = new TApdComPort(&owner);
    comms->SetPromptForPort(false);
    comms->SetDTR(false);
    comms->SetOnTriggerTimer([](TObject*, uint16_t) { ECUConnected = false; });
    packet = new TApdDataPacket(&owner);
    packet->SetComPort(comms);
    packet->SetStartCond(scString);
    packet->SetStartString("\xDB\xC0");
    packet->SetEndCond(ecString);
    packet->SetEndString("\xC0");
    packet->SetIncludeStrings(false);
    packet->SetPacketSize(252);
    packet->SetTimeOut(40);
    packet->SetEnabled(true);
    packet->SetOnStringPacket([this](TObject*, const AnsiString& body) { handler.HandlePacket(body); });
    packet->SetOnTimeout([this](TObject*) { packet->SetEnabled(true); });
    comms->SetComNumber(kComNumber);
    comms->SetOpen(true);
    host.comms = comms;
    host.watchdog = comms->NewTimerTrigger();
    CommsProgress = ui::CreateForm<TCommsProgress>(nullptr);
    // Connected, and the key word of the secured time-stamp frame known.
    PumpUntil([] { return ECUConnected && ECUIdentity.MapLockKey != 0; });
  }
  ~PacedLink() {
    packet->SetEnabled(false);
    comms->SetOpen(false);
    delete packet;
    delete comms;
    delete CommsProgress;
    CommsProgress = nullptr;
    sim.Stop();
  }

  // One transfer of the current map, run as the tuner would.
  bool Run(bool program) {
    ui::DialogScript script;
    bool done = false;
    script.AnswerForm([&](TForm&) {
      CommsProgress->okClick(nullptr);
      done = PumpUntil([] { return CommsProgress->Tag == 0; });
      CommsProgress->okClick(nullptr);
    });
    if (program) ProgramMapsIntoEcu(host, *comms);
    else ReadMapsFromEcu(host, *comms);
    return done;
  }

  TSettingsRecord units;
  ecusim::PtyEcu sim;
  TComponent owner{nullptr};
  TApdComPort* comms = nullptr;
  TApdDataPacket* packet = nullptr;
  BenchHost host;
  ecu::PacketHandler handler{host, units};
};

void Report(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(ecu::kMapImageSize));
  state.counters["line_share"] = benchmark::Counter(
      static_cast<double>(ecu::kMapImageSize) / kLineBytesPerSecond * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

void BM_ProgramOneBankAt19200(benchmark::State& state) {
  const auto slots = std::make_unique<TMapSlots>(MapSlots);
  PacedLink link;
  CurrentMap = 1;
  MapSlots[1].Clear();
  MapSlots[1].Source = 1;
  MapSlots[1].MapName.Set("bench");
  for (auto _ : state) {
    // The window is done when the last byte is handed to the line; the bank is in when
    // the ECU has taken the time stamp that follows it.
    const uint32_t stamps = link.sim.FramesReceived('S');
    if (!link.Run(true) || !PumpUntil([&] { return link.sim.FramesReceived('S') > stamps; }))
      state.SkipWithError("programming did not finish");
  }
  Report(state);
  MapSlots = *slots;
}
BENCHMARK(BM_ProgramOneBankAt19200)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ReadOneBankAt19200(benchmark::State& state) {
  const auto slots = std::make_unique<TMapSlots>(MapSlots);
  PacedLink link;
  CurrentMap = 1;
  for (auto _ : state)
    if (!link.Run(false)) state.SkipWithError("reading did not finish");
  Report(state);
  MapSlots = *slots;
}
BENCHMARK(BM_ReadOneBankAt19200)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
