// One full proportional rescale of the main window with its re-layout, as after the
// user resized or maximised it (target: under 16 ms, one frame).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/Main.h"
#include "controls/ElastFrm.h"
#include "platform/ui/Application.h"

namespace {

void BM_MainWindowRescale(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  CreateProgramForms();
  TR7Tform1* f = R7Tform1;
  bool big = false;
  for (auto _ : state) {
    big = !big;
    f->SetClientSize(big ? 1900 : 1016, big ? 1000 : 700);
    f->ElasticForm1->Rescale();
  }
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
}
BENCHMARK(BM_MainWindowRescale)->Unit(benchmark::kMillisecond);

}  // namespace
