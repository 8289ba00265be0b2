// How often the program wakes when nothing happens, and what live data costs: the main
// window as a tuner starts it, offscreen, its event loop left to wait as the running
// program's does. Wake-ups are the GUI thread's voluntary context switches (each one a
// return from waiting for events); CPU is that thread's user and system time over the
// wall time measured.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/Main.h"
#include "model/Settings.h"
#include "link/LiveData.h"
#include "ecusim/PtyEcu.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Timer.h"

namespace {

constexpr int kComNumber = 64;  // a saved port within COM1..COM64, pointed at the simulator
constexpr double kMeasureSeconds = 3.0;

struct ThreadUsage {
  double cpuSeconds;
  long wakeups;
  static ThreadUsage Now() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return {u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6, u.ru_nvcsw};
  }
};

// Runs the event loop, waiting for events as the program does, for `seconds`; the one
// timer that ends the run is the only wake-up of its own.
ThreadUsage IdleFor(double seconds) {
  bool done = false;
  TTimer end(nullptr);
  end.SetInterval(static_cast<unsigned>(seconds * 1000));
  end.OnTimer = [&](TObject*) {
    end.SetEnabled(false);
    done = true;
  };
  const ThreadUsage before = ThreadUsage::Now();
  end.SetEnabled(true);
  while (!done) Application->HandleMessage();
  const ThreadUsage after = ThreadUsage::Now();
  return {after.cpuSeconds - before.cpuSeconds, after.wakeups - before.wakeups};
}

// The program started with `ini` as its settings. Without a saved port its first
// activation asks for one: the choice is cancelled and the notice that follows accepted.
void StartUp(ui::DialogScript& script, const std::string& ini, bool asksForPort) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  Settings = TSettingsRecord{};
  MainWindowActivated = false;
  CreateProgramForms();
  R7Tform1->SettingsFileName = ini;
  if (asksForPort) {
    script.AnswerForm([](TForm& f) { f.SetModalResult(mrCancel); });
    script.Answer(mrOk);
  }
  R7Tform1->Show();
  for (int i = 0; i < 50; ++i) Application->ProcessMessages();
}

void FreeForms(ui::DialogScript& script) {
  script.Answer(mrOk);
  R7Tform1->CloseQuery();
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
  R7Tform1 = nullptr;
}

std::string TempIni(const char* what) {
  return (std::filesystem::temp_directory_path() /
          ("cq5-bench-" + std::string(what) + "-" + std::to_string(getpid()) + ".ini")).string();
}

void Report(benchmark::State& state, const ThreadUsage& u) {
  state.counters["wakeups_per_s"] = u.wakeups / kMeasureSeconds;
  state.counters["cpu_percent"] = 100.0 * u.cpuSeconds / kMeasureSeconds;
}

// No ECU and no port: the main window waits for the tuner (goal: under 5 wake-ups a second).
void BM_IdleMainWindow(benchmark::State& state) {
  const std::string ini = TempIni("idle");
  ui::DialogScript script;
  StartUp(script, ini, true);
  ThreadUsage u{};
  for (auto _ : state) u = IdleFor(kMeasureSeconds);
  Report(state, u);
  FreeForms(script);
  std::filesystem::remove(ini);
}
BENCHMARK(BM_IdleMainWindow)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The simulated ECU streaming its live packets into the main window over a pseudo-terminal
// paced at the line's rate.
void BM_LiveDataMainWindow(benchmark::State& state) {
  ecusim::PtyEcu sim;
  sim.With([](ecusim::Ecu& e) {
    e.State().fast.rpm = 3200;
    e.State().fast.speedSite = 9;
    e.State().fast.loadSite = 6;
  });
  sim.Start();
  sim.ExportAsComPort(kComNumber);
  const std::string ini = TempIni("live");
  std::ofstream(ini) << "[Comms]\nAuto=1\nPort=" << kComNumber << "\n";
  ui::DialogScript script;
  StartUp(script, ini, false);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!ECUConnected && std::chrono::steady_clock::now() < deadline) Application->HandleMessage();
  if (!ECUConnected) state.SkipWithError("the simulated ECU did not connect");
  ThreadUsage u{};
  for (auto _ : state) u = IdleFor(kMeasureSeconds);
  Report(state, u);
  FreeForms(script);
  sim.Stop();
  std::filesystem::remove(ini);
}
BENCHMARK(BM_LiveDataMainWindow)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
