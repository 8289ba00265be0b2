// Opening and saving a map file of three realistic maps: smooth tables, zeros
// elsewhere, through the compressed container and the temporary-file save.
#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <string>
#include "files/MapFiles.h"
#include "model/MapRecord.h"

namespace {

void FillMaps() {
  for (int k = 1; k <= 3; ++k) {
    TMapRecord& m = MapSlots[k];
    m.Clear();
    m.Source = 1;
    m.MapName.Set("bench map " + std::to_string(k));
    m.Comments.Set("Stage 2 cams, 550cc injectors, 1.2 bar boost");
    for (int s = 1; s <= kMainSpeedSites; ++s)
      for (int l = 1; l <= kMainLoadSites; ++l) {
        m.IgnitionTable[s][l] = static_cast<int16_t>(20 + 10 * std::sin(s / 7.0 + k) - l);
        m.InjectionTable[s][l] = static_cast<int16_t>(800 + 40 * l + 9 * s);
        m.AFRTargetTable[s][l] = static_cast<int16_t>(147 - l);
      }
    for (int i = 0; i < 33; ++i) m.SpeedSites[i] = static_cast<uint16_t>(500 * i);
  }
}

std::string BenchFile(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("cq5_bench_mapfile_") + name + ".map")).string();
}

void BM_SaveMapFile(benchmark::State& state) {
  FillMaps();
  const std::string file = BenchFile("save");
  for (auto _ : state) SaveMapFile(file, TMapFileSaveOptions{});
  std::filesystem::remove(file);
}
BENCHMARK(BM_SaveMapFile)->Unit(benchmark::kMillisecond);

void BM_OpenMapFile(benchmark::State& state) {
  FillMaps();
  const std::string file = BenchFile("open");
  SaveMapFile(file, TMapFileSaveOptions{});
  TMapFileOpenOptions all;
  all.Maps[0] = all.Maps[1] = all.Maps[2] = true;
  for (auto _ : state) {
    const TMapOpenResult r = OpenMapFile(file, all);
    if (!r.Ok) state.SkipWithError(r.Message.c_str());
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_OpenMapFile)->Unit(benchmark::kMillisecond);

}  // namespace
