// The container body codec: encoding and decoding a 1 MB body of map records (real-looking
// tuned tables with their text, sites and reserved bytes, as map files hold them), and the
// encoder's working memory. The anchors run Debian's jlha archiver (lh5 too) on the same
// body when it is installed: its time for the body minus its time for a one-byte file is
// the encoder's share, without the Java start-up.
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>
#include "files/Lh5Codec.h"
#include "model/MapRecord.h"

namespace {

// One map as a tuner leaves it: smooth tables with the small steps of hand edits.
void FillMap(TMapRecord& m, int k, std::mt19937& rng) {
  std::uniform_int_distribution<int> jitter(-2, 2);
  m.Clear();
  m.Source = 1;
  m.MapName.Set("Customer map " + std::to_string(k));
  m.Date.Set("12/03/2024");
  m.Owner.Set("Workshop bay 2");
  m.Engine.Set("2.0 16v turbo");
  m.Induction.Set("Turbo, intercooled");
  m.Pressure.Set("1.2 bar");
  m.Injectors.Set(k % 2 ? "550cc high impedance" : "440cc high impedance");
  m.InjectionType.Set("Sequential");
  m.Exhaust.Set("3 inch downpipe, decat");
  m.Comments.Set("Stage 2 cams, uprated fuel pump, boost by gear, rev " + std::to_string(k));
  const double tune = 0.05 * (k % 7);
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kMainLoadSites; ++l) {
      m.IgnitionTable[s][l] = static_cast<int16_t>(10 + 25 * std::sin(s / 11.0 + tune) - 1.2 * l + jitter(rng) / 2);
      m.InjectionTable[s][l] = static_cast<int16_t>(600 + 55 * l + 14 * s + 30 * std::sin(s / 5.0) + jitter(rng));
      m.AFRTargetTable[s][l] = static_cast<int16_t>(l < 9 ? 147 : 147 - 3 * (l - 8));
      m.AFRCorrectionTable[s][l] = static_cast<int16_t>(16384 + 40 * jitter(rng));
      m.CoilOnTable[s][l] = static_cast<int16_t>(l <= 5 ? 61 + s / 4 : 0);
    }
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kAdditionalLoadRows; ++l) {
      m.BoostDutyTable[s][l] = static_cast<int16_t>(std::min(255, s * 6 + l * 10));
      m.BoostTargetTable[s][l] = static_cast<int16_t>(100 + 20 * l + (s > 12 ? 40 : s * 3));
      m.VVTTable[s][l] = static_cast<int16_t>(std::max(0, 40 - std::abs(s - 16) * 3 + l));
      m.InjTimingTable[s][l] = static_cast<int16_t>(180 + s * 2);
    }
  for (int i = 0; i < 33; ++i) m.SpeedSites[i] = static_cast<uint16_t>(500 + 250 * i);
  for (int i = 0; i < 16; ++i) {
    m.MainThrottleSites[i] = static_cast<int16_t>(i * 100 / 15);
    m.MainMAPSites[i] = static_cast<int16_t>(20 + i * 15);
  }
  for (int i = 0; i < kTemperatureSites; ++i) {
    m.CoolantFuelCorrection[i] = static_cast<int16_t>(std::max(0, 60 - 6 * i));
    m.IdleSpeedByCoolant[i] = static_cast<int16_t>(std::max(85, 140 - 5 * i));
    m.CrankingPrime[i] = static_cast<int16_t>(std::max(20, 300 - 22 * i));
  }
}

// Maps one after another up to `size` bytes, three maps to a file's worth.
std::vector<uint8_t> MapRecordBody(size_t size) {
  std::mt19937 rng(5);
  std::vector<uint8_t> body;
  body.reserve(size + sizeof(TMapRecord));
  TMapRecord m{};
  for (int k = 1; body.size() < size; ++k) {
    FillMap(m, k, rng);
    const auto* p = reinterpret_cast<const uint8_t*>(&m);
    body.insert(body.end(), p, p + sizeof m);
  }
  body.resize(size);
  return body;
}

constexpr size_t kBodySize = 1 << 20;

void BM_Lh5Encode(benchmark::State& state) {
  const std::vector<uint8_t> body = MapRecordBody(kBodySize);
  size_t packed = 0;
  lh5::EncoderStats stats;
  for (auto _ : state) {
    std::vector<uint8_t> bits = lh5::Encode(body.data(), body.size(), &stats);
    packed = bits.size();
    benchmark::DoNotOptimize(bits.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
  state.counters["packed_bytes"] = static_cast<double>(packed);
  state.counters["working_bytes"] = static_cast<double>(stats.WorkingBytes);
}
BENCHMARK(BM_Lh5Encode)->Unit(benchmark::kMillisecond)->UseRealTime();

// The working memory for a body 16 times larger: the same fixed buffers.
void BM_Lh5Encode16MiB(benchmark::State& state) {
  const std::vector<uint8_t> one = MapRecordBody(kBodySize);
  std::vector<uint8_t> body;
  for (int i = 0; i < 16; ++i) body.insert(body.end(), one.begin(), one.end());
  lh5::EncoderStats stats;
  for (auto _ : state) benchmark::DoNotOptimize(lh5::Encode(body.data(), body.size(), &stats).data());
  state.counters["working_bytes"] = static_cast<double>(stats.WorkingBytes);
}
BENCHMARK(BM_Lh5Encode16MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_Lh5Decode(benchmark::State& state) {
  const std::vector<uint8_t> body = MapRecordBody(kBodySize);
  const std::vector<uint8_t> bits = lh5::Encode(body.data(), body.size());
  for (auto _ : state) {
    std::vector<uint8_t> plain = lh5::Decode(bits.data(), bits.size(), body.size());
    benchmark::DoNotOptimize(plain.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_Lh5Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- the jlha anchor ---------------------------------------------------------------------

bool HaveJlha() { return std::system("command -v jlha >/dev/null 2>&1") == 0; }

std::filesystem::path AnchorDir() {
  const auto dir = std::filesystem::temp_directory_path() / "cq5_bench_codec";
  std::filesystem::create_directories(dir);
  return dir;
}

// Archives `file` with jlha's lh5 method; returns the archive's size, 0 on failure.
size_t JlhaArchive(const std::filesystem::path& file) {
  const auto archive = AnchorDir() / "anchor.lzh";
  std::filesystem::remove(archive);
  const std::string cmd = "cd '" + AnchorDir().string() + "' && jlha co5 anchor.lzh '" +
                          file.filename().string() + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0 || !std::filesystem::exists(archive)) return 0;
  return std::filesystem::file_size(archive);
}

void RunJlha(benchmark::State& state, size_t size) {
  if (!HaveJlha()) {
    state.SkipWithError("jlha (Debian's jlha-utils) is not installed");
    return;
  }
  const std::vector<uint8_t> body = size ? MapRecordBody(size) : std::vector<uint8_t>{'x'};
  const auto file = AnchorDir() / "body.bin";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(body.data()),
                                              static_cast<std::streamsize>(body.size()));
  size_t archive = 0;
  for (auto _ : state) archive = JlhaArchive(file);
  if (archive == 0) state.SkipWithError("jlha failed");
  state.counters["archive_bytes"] = static_cast<double>(archive);
}

// jlha on the 1 MB body, Java start-up included.
void BM_JlhaEncode(benchmark::State& state) { RunJlha(state, kBodySize); }
BENCHMARK(BM_JlhaEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// jlha on a one-byte file: its start-up, to subtract from the line above.
void BM_JlhaStartup(benchmark::State& state) { RunJlha(state, 0); }
BENCHMARK(BM_JlhaStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
