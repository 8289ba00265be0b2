// One pass of the gauge timer over 200 clients (blinkers, one-second clients and interval
// clients, as a busy dashboard registers them): it runs every 16 ms on the GUI thread, so
// it must take a small fraction of a millisecond.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "gauges/AbFlashT.h"
#include "platform/ui/Application.h"

namespace {

struct Client : TGraphicControl {
  using TGraphicControl::TGraphicControl;
  int messages = 0;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_FLASH) ++messages;
    else TGraphicControl::WndProc(m);
  }
  ~Client() override { RemoveFlashClient(this); }
};

void FlashTimerPass200(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < 200; ++i) {
    clients.push_back(std::make_unique<Client>(nullptr));
    const int64_t modes[] = {2, 3, 4, 5, 6, 32, 100, 50};
    AddFlashClient(clients.back().get(), modes[i % 8]);
  }
  for (auto _ : state) abflash::FlashTimerTick();
  clients.clear();
  abflash::Reset();
}
BENCHMARK(FlashTimerPass200)->Unit(benchmark::kMicrosecond);

}  // namespace
