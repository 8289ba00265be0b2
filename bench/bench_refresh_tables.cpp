// Rebuilding the whole map display (main window, additional tables, sensor tables) from a
// full map, as after a map load or a map switch.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "app/Main.h"
#include "model/MapRecord.h"
#include "platform/ui/Application.h"

namespace {

void FillMap(TMapRecord& m) {
  m.Clear();
  m.Source = 1;
  m.MapName.Set("bench map");
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kMainLoadSites; ++l) {
      m.IgnitionTable[s][l] = static_cast<int16_t>(20 + 10 * std::sin(s / 7.0) - l);
      m.InjectionTable[s][l] = static_cast<int16_t>(800 + 40 * l + 9 * s);
      m.AFRTargetTable[s][l] = static_cast<int16_t>(110 + (s + l) % 50);
      m.AFRCorrectionTable[s][l] = static_cast<int16_t>((s - 16) * 1000 + l);
    }
  for (int i = 0; i < 33; ++i) m.SpeedSites[i] = static_cast<uint16_t>(500 * i);
}

void BM_RefreshMapTables(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  CreateProgramForms();
  CurrentMap = 1;
  FillMap(MapSlots[1]);
  for (auto _ : state) R7Tform1->RefreshMapTables();
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
}
BENCHMARK(BM_RefreshMapTables)->Unit(benchmark::kMillisecond);

}  // namespace
