// The logger's trend recorder at its full 72,000 records, shown on a window: appending one
// record and showing it (the new column only, a full redraw when the oldest records go),
// and drawing a full window of the plot (after a
// scroll, zoom or resize). Both must stay far under one 16 ms frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "logger/AbTrend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

struct ShownTrend {
  ShownTrend() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    form = new TForm(nullptr);
    form->SetClientSize(1000, 500);
    trend = new TAbTrend(form);
    trend->SetParent(form);
    trend->SetBounds(0, 0, 1000, 500);
    trend->SetMaxRecords(72000);
    trend->SetGridXPixel(100);
    for (int n = 1; n <= 8; ++n) {
      trend->Channel(n)->SetDigitalFrom(0);
      trend->Channel(n)->SetDigitalTo(1000);
    }
    auto& records = trend->MutableRecords();
    records.resize(72000);
    for (size_t i = 0; i < records.size(); ++i) {
      records[i].Time = 45000 + i / 864000.0;
      for (size_t k = 0; k < 8; ++k) records[i].Values[k] = static_cast<uint16_t>((i * (k + 3)) % 1000);
    }
    form->Show();
    Application->ProcessMessages();
    trend->ScrollBy(71000);
    trend->SetFlow(true);
    trend->Redraw();
  }
  ~ShownTrend() { delete form; }
  TForm* form;
  TAbTrend* trend;
};

void TrendAppendRecord(benchmark::State& state) {
  ShownTrend s;
  s.trend->SetStartRecording(true);
  uint16_t v = 0;
  for (auto _ : state) {
    s.trend->Channel(1)->SetValue(static_cast<float>(v++ % 100));
    s.trend->AddRecord();
    // The repaint that shows it (a full redraw after every 100th, when the oldest go).
    Application->ProcessMessages();
  }
  state.counters["records"] = s.trend->RecordCount();
}
BENCHMARK(TrendAppendRecord)->Unit(benchmark::kMicrosecond);

void TrendDrawFullWindow(benchmark::State& state) {
  ShownTrend s;
  for (auto _ : state) s.trend->Redraw();
  state.counters["columns"] = s.trend->PlotRect().Right - s.trend->PlotRect().Left;
}
BENCHMARK(TrendDrawFullWindow)->Unit(benchmark::kMillisecond);

}  // namespace
