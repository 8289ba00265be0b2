// Memory over a session that opens and closes every window from the menus again and
// again: the program's resident memory after each of twenty rounds, and its growth per
// round over rounds 5 to 10 and from round 10 on (the first rounds build what the windows
// keep for the session: fonts, glyph caches, the windows' native parts; the caches fill up
// to their bounds over the next ones). Shown on Xvfb + openbox where they are
// installed (CQ5_BENCH_OFFSCREEN=1 forces the offscreen platform).
//
// The first benchmark answers the dialogs by the dialog script; the second shows the real
// ones (file dialogs, message boxes, the windows' own event loops) and closes them as a
// user would.
//
// For a heap profiler: CQ5_BENCH_ROUNDS sets the number of rounds and
// CQ5_BENCH_EXIT_AFTER_ROUNDS=1 ends the process right after them, so that what the rounds
// left behind shows as still held; CQ5_BENCH_VERBOSE=1 lists the dialogs each command
// showed.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/Graphs.h"
#include "logger/logger.h"
#include "model/Settings.h"
#include "platform/stdctrls/Menus.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Timer.h"
#include "tests/x11/XSession.h"

namespace {

// The process's resident memory in bytes now.
double ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
  return 0;
}

// Bytes the allocator hands out now (what the program holds, free pages aside).
double HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd);
}

constexpr int kComNumber = 64;

// A serial line with nobody at its far end: the program opens its port and the windows
// that talk to the ECU open, but no ECU answers.
struct SilentLine {
  int master = -1;
  SilentLine() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    setenv(("CORVANEQ5_COM" + std::to_string(kComNumber)).c_str(), ptsname(master), 1);
  }
  ~SilentLine() {
    if (master >= 0) close(master);
  }
  // Throws away what the program sent, so that its writes never wait.
  void Drain() const {
    char buf[4096];
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    while (read(master, buf, sizeof buf) > 0) {
    }
    fcntl(master, F_SETFL, flags);
  }
};

// "xcb+openbox" or "offscreen (...)": where the windows were shown. On a real display
// server the windows have their native parts too, as on the tuner's desktop.
std::string g_display;

void EnsureDisplay() {
  if (!g_display.empty()) return;
  static x11test::XSession session;
  std::string missing;
  if (std::getenv("CQ5_BENCH_OFFSCREEN") == nullptr && session.Start(missing)) {
    g_display = "xcb+openbox";
  } else {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_display = "offscreen" + (missing.empty() ? std::string() : " (no " + missing + ")");
  }
}

// The program started with its settings naming the silent line's port.
void StartUp(const std::string& ini) {
  EnsureDisplay();
  std::ofstream(ini) << "[Comms]\nAuto=1\nPort=" << kComNumber << "\n";
  Application->Initialize();
  Settings = TSettingsRecord{};
  MainWindowActivated = false;
  CreateProgramForms();
  R7Tform1->SettingsFileName = ini;
  R7Tform1->Show();
  for (int i = 0; i < 20; ++i) Application->ProcessMessages();
}

// Lets a window that just showed be exposed and painted: on a display server the
// window manager maps it and the server asks for its paint a little later.
void LetPaint() {
  const int passes = g_display == "xcb+openbox" ? 25 : 1;
  for (int i = 0; i < passes; ++i) {
    Application->ProcessMessages();
    if (passes > 1) usleep(2000);
  }
}

// How the user leaves what a command opens: a window is looked at (painted) and
// cancelled, a message confirmed, a file dialog cancelled.
enum Step { Window, Message, Yes, File };

struct Command {
  const char* item;  // the main window's menu item
  std::vector<Step> steps;
};

const Command kCommands[] = {
    {"Open1", {File}},
    {"Save1", {Yes, File}},
    {"SelectMAP1", {Window}},
    {"AccelFuelling1", {Window}},
    {"ECUversioninfo1", {Window}},
    {"TractionControl1", {Window}},
    {"Commsport1", {Window, Message}},
    {"ReadECUdata1", {Message}},
    {"ProgramECU1", {Message}},
    {"Diagdata1", {Window}},
    {"MapLock1", {Window}},
    {"Immobiliser1", {Window}},
    {"Ignitionalignment1", {Window}},
    {"ThrottlePositionSensor2", {Window}},
    {"Displayunits1", {Window}},
    {"About1", {Window}},
};

void Script(ui::DialogScript& script, const std::vector<Step>& steps) {
  for (Step s : steps) {
    if (s == Window)
      script.AnswerForm([](TForm& f) {
        LetPaint();
        f.SetModalResult(mrCancel);
      });
    if (s == Message) script.Answer(mrOk);
    if (s == Yes) script.Answer(mrYes);
    if (s == File) script.CancelFile();
  }
}

// One round: every command of the menus, the two windows that stay open beside the main
// window (graph, data logger) closed again, and the logger's print preview.
void Round(benchmark::State& state) {
  for (const Command& c : kCommands) {
    auto* item = dynamic_cast<TMenuItem*>(R7Tform1->FindComponent(c.item));
    if (!item) {
      state.SkipWithError(c.item);
      return;
    }
    ui::DialogScript script;
    Script(script, c.steps);
    try {
      item->Click();
    } catch (const std::exception& e) {
      if (getenv("CQ5_BENCH_VERBOSE")) {
        std::fprintf(stderr, "%s: %s\n", c.item, e.what());
        for (const auto& r : script.Shown()) std::fprintf(stderr, "  shown %d %s\n", static_cast<int>(r.Kind), r.Caption.c_str());
      }
      state.SkipWithError(e.what());
      if (!getenv("CQ5_BENCH_VERBOSE")) return;
    }
    if (getenv("CQ5_BENCH_VERBOSE")) {
      std::fprintf(stderr, "%s: %zu answers left\n", c.item, script.Pending());
      for (const auto& r : script.Shown()) std::fprintf(stderr, "  shown %d %s: %s\n", static_cast<int>(r.Kind), r.Caption.c_str(), r.Text.c_str());
    }
    Application->ProcessMessages();
  }
  for (const char* name : {"Plotgraph1", "DataLogger1"}) {
    dynamic_cast<TMenuItem*>(R7Tform1->FindComponent(name))->Click();
    LetPaint();
  }
  {
    ui::DialogScript script;
    Script(script, {Window});
    LoggerForm->ExportCSV1Click(nullptr);
    Application->ProcessMessages();
  }
  for (TForm* f : {static_cast<TForm*>(Graph), static_cast<TForm*>(LoggerForm)}) f->Close();
  Application->ProcessMessages();
}

// The same commands with the real dialogs, each with its own event loop: a timer closes
// what shows as the user would, a window of the program by Cancel, a message box or a
// file dialog by the Escape key (sent by xdotool). Only on a display server.
bool g_inCommand = false;

void RealRound(benchmark::State& state) {
  TTimer closer(nullptr);
  closer.SetInterval(250);
  closer.OnTimer = [](TObject*) {
    if (!g_inCommand) return;
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TForm* f = Screen->Forms(i);
      if (f->Modal() && f->ModalResult() == mrNone) {
        f->SetModalResult(mrCancel);
        return;
      }
    }
    if (std::system("xdotool key Escape") != 0) g_inCommand = false;
  };
  closer.SetEnabled(true);
  auto run = [&](const char* what, const std::function<void()>& command) {
    g_inCommand = true;
    try {
      command();
    } catch (const std::exception& e) {
      state.SkipWithError((std::string(what) + ": " + e.what()).c_str());
    }
    g_inCommand = false;
    LetPaint();
  };
  for (const Command& c : kCommands) {
    // Cancelling the port chooser closes the port the other windows talk through.
    if (std::string(c.item) == "Commsport1") continue;
    auto* item = dynamic_cast<TMenuItem*>(R7Tform1->FindComponent(c.item));
    run(c.item, [item] { item->Click(); });
  }
  for (const char* name : {"Plotgraph1", "DataLogger1"}) {
    dynamic_cast<TMenuItem*>(R7Tform1->FindComponent(name))->Click();
    LetPaint();
  }
  run("ExportCSV1", [] { LoggerForm->ExportCSV1Click(nullptr); });
  for (TForm* f : {static_cast<TForm*>(Graph), static_cast<TForm*>(LoggerForm)}) f->Close();
  LetPaint();
}

// Starts the program, runs the rounds, reports and frees the windows.
void Rounds(benchmark::State& state, const std::function<void(benchmark::State&)>& round) {
  SilentLine line;
  const std::string ini = "/tmp/cq5-bench-rounds-" + std::to_string(getpid()) + ".ini";
  StartUp(ini);
  std::vector<double> rss, heap;
  for (auto _ : state) {
    const int rounds = getenv("CQ5_BENCH_ROUNDS") ? atoi(getenv("CQ5_BENCH_ROUNDS")) : 20;
    for (int i = 0; i < rounds; ++i) {
      round(state);
      line.Drain();
      malloc_trim(0);
      rss.push_back(ResidentBytes());
      heap.push_back(HeapInUse());
    }
    // For a heap profiler: stop here, so that what the rounds left behind is still held.
    if (getenv("CQ5_BENCH_EXIT_AFTER_ROUNDS")) _exit(0);
  }
  for (size_t i = 0; i < rss.size(); ++i) {
    char name[48];
    std::snprintf(name, sizeof name, "rss_MB_round_%02zu", i + 1);
    state.counters[name] = rss[i] / 1e6;
  }
  if (rss.size() >= 10) {
    // Rounds 5 to 10: the first rounds have built most of the session's caches, the rest
    // fill here (fonts' glyphs and text runs, the style's pictures, all of bounded size).
    state.counters["rss_growth_kB_per_round"] = (rss[9] - rss[4]) / 5 / 1e3;
    state.counters["heap_growth_kB_per_round"] = (heap[9] - heap[4]) / 5 / 1e3;
  }
  if (rss.size() >= 20) {
    // From round 10 on: the level the session keeps once its caches are full.
    const double after = static_cast<double>(rss.size() - 10);
    state.counters["rss_growth_kB_per_round_after_10"] = (rss.back() - rss[9]) / after / 1e3;
    state.counters["heap_growth_kB_per_round_after_10"] = (heap.back() - heap[9]) / after / 1e3;
  }
  state.SetLabel(g_display);
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
  R7Tform1 = nullptr;
  unlink(ini.c_str());
}

void BM_OpenAndCloseEveryWindow(benchmark::State& state) { Rounds(state, Round); }
BENCHMARK(BM_OpenAndCloseEveryWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenAndCloseEveryWindowRealDialogs(benchmark::State& state) {
  EnsureDisplay();
  if (g_display != "xcb+openbox") {
    state.SkipWithError("needs Xvfb, openbox and xdotool");
    return;
  }
  Rounds(state, RealRound);
}
BENCHMARK(BM_OpenAndCloseEveryWindowRealDialogs)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
