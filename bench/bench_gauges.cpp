// Repaint of a round meter when only its value changed (the live dashboards do this for
// every ECU packet): the cached face is drawn and the needle over it, far below 1 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "gauges/AbFlashT.h"
#include "gauges/AbRMeter.h"
#include "gauges/GaugeClasses.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

void RoundMeterValueRepaint(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  RegisterGaugeClasses();
  {
    TForm form(nullptr);
    form.SetClientSize(400, 400);
    auto* m = new TAb270Meter(&form);
    m->SetParent(&form);
    m->SignalSettings()->SetValueTo(140);
    m->SetLimitUpper(1000);
    TBitmap shot;
    ui::GrabControl(m, shot);  // the face is rendered once here
    float v = 0;
    for (auto _ : state) {
      v = v >= 140 ? 0 : v + 1.5f;
      m->SetValue(v);
      ui::GrabControl(m, shot);
    }
  }
  abflash::Reset();
}
BENCHMARK(RoundMeterValueRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
