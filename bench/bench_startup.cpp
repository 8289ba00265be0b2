// Start-up: creating the program's 32 windows and showing the main window, offscreen,
// and the program's peak resident memory with all of them created. The memory figure
// comes first, from the process's own high-water mark, before anything else has run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "app/Main.h"
#include "model/Settings.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace {

// The process's peak resident memory in bytes (its high-water mark), 0 when unknown.
double PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
  return 0;
}

// The program as a tuner starts it without a settings file: the port chooser, shown by
// the main window's first activation, is cancelled and the notice that follows accepted.
void StartUp(ui::DialogScript& script) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  Settings = TSettingsRecord{};
  MainWindowActivated = false;
  CreateProgramForms();
  R7Tform1->SettingsFileName = "/nonexistent/cq5-bench.ini";
  script.AnswerForm([](TForm& f) { f.SetModalResult(mrCancel); });
  script.Answer(mrOk);
  R7Tform1->Show();
  Application->ProcessMessages();  // the main window's first paint
}

void FreeForms() {
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
}

// Every window created and the main window shown; then every other window shown once and
// hidden again, as a session that visits them all.
void BM_PeakResidentMemory(benchmark::State& state) {
  double created = 0, visited = 0;
  for (auto _ : state) {
    ui::DialogScript script;
    StartUp(script);
    created = PeakResidentBytes();
    R7Tform1->Hide();
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TForm* f = Screen->Forms(i);
      if (f == R7Tform1) continue;
      // A window that asks something when it opens is answered with Cancel.
      for (int k = 0; k < 4; ++k) script.Answer(mrCancel);
      try {
        f->Show();
        Application->ProcessMessages();
        f->Hide();
      } catch (const std::exception& e) {
        state.SkipWithError(e.what());
      }
    }
    Application->ProcessMessages();
    visited = PeakResidentBytes();
    FreeForms();
  }
  state.counters["peak_created_MB"] = created / 1e6;
  state.counters["peak_all_shown_MB"] = visited / 1e6;
}
BENCHMARK(BM_PeakResidentMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// From nothing to the main window painted: the windows' construction, their resources and
// the first paint.
void BM_StartupToMainWindow(benchmark::State& state) {
  for (auto _ : state) {
    ui::DialogScript script;
    StartUp(script);
    state.PauseTiming();
    FreeForms();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupToMainWindow)->Unit(benchmark::kMillisecond);

}  // namespace
