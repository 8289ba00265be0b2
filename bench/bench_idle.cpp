// How often the program wakes when nothing happens, and what live data at the line's pace
// costs: every window created as a tuner starts the program, on a real X server managed by
// openbox where Xvfb and openbox are installed (the label says "offscreen" where they are
// not, or where CQ5_BENCH_OFFSCREEN is set), the event loop left to wait as the running
// program's does.
//
// A wake-up is a context switch of a thread, voluntary (it had waited and was woken) or
// involuntary, counted from /proc/self/task/*/status over the measured seconds: for the GUI
// thread alone and for every thread of the process. The simulated ECU runs as a process of
// its own (tools/ecusim, paced at 19,200 baud), so none of its work is counted; its engine
// changes the values at every packet, as a running engine does. CPU is the process's user
// and system time over the wall time measured.
//
// Settings from the environment: CQ5_BENCH_SECONDS (measured time, default 5, longer to
// profile from outside), CQ5_BENCH_THREADS (each thread's wake-ups to stderr),
// CQ5_BENCH_SCREEN (the X screen, default 1024x768x24), CQ5_BENCH_SHOTS (a folder for a
// picture of the screen at the end of each live measurement).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/Main.h"
#include "config/Additonl.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "model/Settings.h"
#include "link/LiveData.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Keys.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Timer.h"
#include "tests/x11/XSession.h"

extern char** environ;

namespace {

constexpr int kComNumber = 64;  // a saved port within COM1..COM64, pointed at the simulator
constexpr double kSettleSeconds = 1.0;
const double kMeasureSeconds = std::getenv("CQ5_BENCH_SECONDS") ? std::atof(std::getenv("CQ5_BENCH_SECONDS")) : 5.0;

// "xcb+openbox" or "offscreen (...)": where the windows were shown.
std::string g_display;

void EnsureDisplay() {
  if (!g_display.empty()) return;
  static x11test::XSession session;
  std::string missing;
  const char* screen = std::getenv("CQ5_BENCH_SCREEN");  // e.g. 1600x1000x24
  if (std::getenv("CQ5_BENCH_OFFSCREEN") == nullptr && session.Start(missing, screen ? screen : "1024x768x24")) {
    g_display = "xcb+openbox";
  } else {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_display = "offscreen" + (missing.empty() ? std::string() : " (no " + missing + ")");
  }
}

struct Switches {
  long voluntary = 0, involuntary = 0;
  long Total() const { return voluntary + involuntary; }
};

Switches ReadSwitches(const std::filesystem::path& status) {
  std::ifstream in(status);
  std::string key;
  Switches out;
  while (in >> key) {
    if (key == "voluntary_ctxt_switches:") {
      in >> out.voluntary;
    } else if (key == "nonvoluntary_ctxt_switches:") {
      in >> out.involuntary;
    } else {
      in.ignore(1 << 16, '\n');
    }
  }
  return out;
}

// Context switches so far of every thread of the process, by thread id.
std::map<long, Switches> TaskSwitches() {
  std::map<long, Switches> out;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    const long tid = std::strtol(task.path().filename().c_str(), nullptr, 10);
    out[tid] = ReadSwitches(task.path() / "status");
  }
  return out;
}

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Usage {
  // The GUI thread's voluntary switches alone: the times it waited and was woken, which
  // the machine's other load does not add to as it does to the involuntary ones.
  double guiWakeups = 0, guiVoluntary = 0, processWakeups = 0, cpuSeconds = 0;
  // The toolkit's X event reader: it wakes for every event and reply from the X server
  // (a repaint's round trip among them) and hands each to the GUI thread.
  double xEventThreadWakeups = 0;
  // The process's threads at the end, those of them that were not there at `since`, and
  // those of the toolkit's thread pool (started by painting that it splits over threads).
  int threadsAdded = 0, threads = 0, poolThreads = 0;
};

// Runs the event loop, waiting for events as the program does, for `seconds`; the one
// timer that ends the run is the only wake-up of its own.
void RunLoopFor(double seconds) {
  bool done = false;
  TTimer end(nullptr);
  end.SetInterval(static_cast<unsigned>(seconds * 1000));
  end.OnTimer = [&](TObject*) {
    end.SetEnabled(false);
    done = true;
  };
  end.SetEnabled(true);
  while (!done) Application->HandleMessage();
}

std::string TaskName(long tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

Usage Measure(double seconds, const std::map<long, Switches>* since = nullptr) {
  const long gui = static_cast<long>(syscall(SYS_gettid));
  const std::map<long, Switches> before = TaskSwitches();
  const double cpuBefore = ProcessCpuSeconds();
  RunLoopFor(seconds);

  const std::map<long, Switches> after = TaskSwitches();
  const bool perThread = std::getenv("CQ5_BENCH_THREADS") != nullptr;
  Usage u;
  u.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
  u.threads = static_cast<int>(after.size());
  for (const auto& [tid, n] : after) {
    const auto was = before.find(tid);
    if ((since ? since->count(tid) : before.count(tid)) == 0) ++u.threadsAdded;
    const std::string name = TaskName(tid);
    if (name.rfind("Thread (pooled)", 0) == 0) ++u.poolThreads;
    const Switches from = was == before.end() ? Switches{} : was->second;
    const long delta = n.Total() - from.Total();
    u.processWakeups += static_cast<double>(delta);
    if (name == "QXcbEventQueue") u.xEventThreadWakeups += static_cast<double>(delta);
    if (tid == gui) {
      u.guiWakeups = static_cast<double>(delta);
      u.guiVoluntary = static_cast<double>(n.voluntary - from.voluntary);
    }
    if (perThread && delta > 0)
      std::fprintf(stderr, "  thread %ld %-16s %6.1f a second\n", tid, name.c_str(), delta / seconds);
  }
  return u;
}

// The program started with `ini` as its settings. Without a saved port its first
// activation asks for one: the choice is cancelled and the notice that follows accepted.
void StartUp(ui::DialogScript& script, const std::string& ini, bool asksForPort) {
  EnsureDisplay();
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

void Report(benchmark::State& state, const Usage& u) {
  state.counters["gui_wakeups_per_s"] = u.guiWakeups / kMeasureSeconds;
  state.counters["gui_voluntary_per_s"] = u.guiVoluntary / kMeasureSeconds;
  state.counters["process_wakeups_per_s"] = u.processWakeups / kMeasureSeconds;
  state.counters["x_thread_wakeups_per_s"] = u.xEventThreadWakeups / kMeasureSeconds;
  state.counters["cpu_percent"] = 100.0 * u.cpuSeconds / kMeasureSeconds;
  state.counters["threads"] = u.threads;
  state.counters["threads_added"] = u.threadsAdded;
  state.counters["pool_threads"] = u.poolThreads;
  state.SetLabel(g_display);
}

// The simulated ECU as a process of its own, on a pseudo-terminal paced at 19,200 baud,
// sending a fast live packet every `intervalMs`.
class EcuProcess {
 public:
  bool Start(int intervalMs) {
    int out[2];
    if (pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string interval = std::to_string(intervalMs);
    char* argv[] = {const_cast<char*>(CQ5_ECUSIM_PATH), const_cast<char*>("--baud"), const_cast<char*>("19200"),
                    const_cast<char*>("--interval"), interval.data(), nullptr};
    const int rc = posix_spawn(&pid_, CQ5_ECUSIM_PATH, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      pid_ = 0;
      close(out[0]);
      return false;
    }
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
    close(out[0]);
    return !path_.empty();
  }
  ~EcuProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Path() const { return path_; }

 private:
  pid_t pid_ = 0;
  std::string path_;
};

// No ECU and no port: the main window waits for the tuner (goal: under 5 wake-ups a second).
void BM_IdleMainWindow(benchmark::State& state) {
  const std::string ini = TempIni("idle");
  ui::DialogScript script;
  StartUp(script, ini, true);
  RunLoopFor(kSettleSeconds);
  Usage u;
  for (auto _ : state) u = Measure(kMeasureSeconds);
  Report(state, u);
  FreeForms(script);
  std::filesystem::remove(ini);
}
BENCHMARK(BM_IdleMainWindow)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// What the tuner looks at while the live data comes in.
enum View {
  kDetailsPage = 0,       // the main window as it starts, on its "Details" page
  kLivePage = 1,          // the "Live adjustments" page
  kLivePageLogging = 2,   // the live page, and the logger window shown and recording
  kLivePageAdditional = 3,  // the live page, and the additional tables window open
  // The other pages of the main window, each chosen by its function key as a tuner does;
  // the map pages show the operating point's mark in their tables.
  kEventsPage = 4,         // F2
  kIgnitionPage = 5,       // F3
  kInjectionPage = 6,      // F4
  kIdlePage = 7,           // F5
  kIgnCorrectionsPage = 8,  // F6
  kInjCorrectionsPage = 9,  // F7
  kIgnitionPageLogging = 10,     // the ignition page, and the logger recording
  kIgnitionPageAdditional = 11,  // the ignition page, and the additional tables open
};

void ShowPage(int page) {
  WORD key = static_cast<WORD>(VK_F1 + page);
  R7Tform1->FormKeyDown(R7Tform1, key, {});
}

void StartRecording() {
  if (LoggerForm == nullptr) return;
  LoggerForm->Show();
  LoggerForm->StartRecording->SetChecked(true);
  LoggerForm->StartRecordingClick(nullptr);
  // Started and stopped by hand ("User"), not by a trigger channel.
  LoggerForm->StartChan->SetItemIndex(0);
  LoggerForm->StartChanChange(nullptr);
  LoggerForm->StopChan->SetItemIndex(0);
  LoggerForm->StopChanChange(nullptr);
  const int page = R7Tform1->Notebook1->PageIndex();
  ShowPage(7);
  R7Tform1->TimeLogLEDClick(nullptr);  // the Space key of the live page
  if (page != 7) ShowPage(page);
}

void ShowView(View view) {
  switch (view) {
    case kDetailsPage: break;
    case kLivePage:
    case kLivePageLogging:
    case kLivePageAdditional: ShowPage(7); break;
    case kIgnitionPageLogging:
    case kIgnitionPageAdditional: ShowPage(2); break;
    default: ShowPage(view - kEventsPage + 1); break;
  }
  if (view == kLivePageLogging || view == kIgnitionPageLogging) StartRecording();
  if ((view == kLivePageAdditional || view == kIgnitionPageAdditional) && AdditionalMaps != nullptr)
    AdditionalMaps->Show();
}

// The simulated ECU streaming its live packets into the program at the line's pace, a fast
// packet every `interval_ms` (50: the line's full rate, about 22 packets a second with the
// slow ones; 100: half that), seen in one of the views above. Goal at the full rate: under
// 40 wake-ups a second of the GUI thread, under 300 of the whole process, under 1.5 % of a
// core, on every page and with the logger recording; the additional tables open add at most
// 6 wake-ups a second of the GUI thread to the same page alone, under 42 in all and under
// 1.8 % of a core; no thread added by painting (threads_added counts the threads that appeared while
// measuring). x_thread_wakeups_per_s counts the X event reader's: each repaint of a window
// adds to it (the toolkit waits for the X server before it paints into its picture again).
void BM_LiveDataMainWindow(benchmark::State& state) {
  const int intervalMs = static_cast<int>(state.range(0));
  const auto view = static_cast<View>(state.range(1));
  EcuProcess ecu;
  if (!ecu.Start(intervalMs)) {
    state.SkipWithError("the simulated ECU did not start");
    return;
  }
  setenv(("CORVANEQ5_COM" + std::to_string(kComNumber)).c_str(), ecu.Path().c_str(), 1);
  const std::string ini = TempIni("live");
  std::ofstream(ini) << "[Comms]\nAuto=1\nPort=" << kComNumber << "\n";
  ui::DialogScript script;
  StartUp(script, ini, false);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!ECUConnected && std::chrono::steady_clock::now() < deadline) Application->HandleMessage();
  if (!ECUConnected) state.SkipWithError("the simulated ECU did not connect");
  // Threads the view adds (painting must add none) count from before it is shown.
  const std::map<long, Switches> threadsBefore = TaskSwitches();
  ShowView(view);
  RunLoopFor(kSettleSeconds);
  const uint32_t packetsBefore = PacketCountsA[0] + PacketCountsA[1];
  const int recordsBefore = LoggerForm != nullptr ? LoggerForm->DataPlotter->RecordCount() : 0;
  Usage u;
  for (auto _ : state) u = Measure(kMeasureSeconds, &threadsBefore);
  Report(state, u);
  // CQ5_BENCH_SHOTS names a folder for a picture of the screen as the measurement ends.
  if (const char* dir = std::getenv("CQ5_BENCH_SHOTS"); dir != nullptr && g_display == "xcb+openbox")
    std::system(("import -window root '" + std::string(dir) + "/live-" + std::to_string(intervalMs) + "-" +
                 std::to_string(static_cast<int>(view)) + ".png' 2>/dev/null").c_str());
  state.counters["packets_per_s"] = (PacketCountsA[0] + PacketCountsA[1] - packetsBefore) / kMeasureSeconds;
  if (view == kLivePageLogging && LoggerForm != nullptr)
    state.counters["records_per_s"] = (LoggerForm->DataPlotter->RecordCount() - recordsBefore) / kMeasureSeconds;
  if (LoggingActive) R7Tform1->StopLogging();
  FreeForms(script);
  std::filesystem::remove(ini);
}
BENCHMARK(BM_LiveDataMainWindow)
    ->ArgNames({"interval_ms", "view"})
    ->ArgsProduct({{50}, {kDetailsPage, kEventsPage, kIgnitionPage, kInjectionPage, kIdlePage, kIgnCorrectionsPage,
                          kInjCorrectionsPage, kLivePage, kLivePageLogging, kLivePageAdditional, kIgnitionPageLogging,
                          kIgnitionPageAdditional}})
    ->ArgsProduct({{100}, {kDetailsPage, kIgnitionPage, kLivePage, kLivePageLogging, kLivePageAdditional}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
