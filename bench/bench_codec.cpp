// The container body codec: encoding and decoding 1 MB bodies of map records, and the
// encoder's working memory. Two bodies: real-looking tuned tables with their text, sites and
// reserved bytes, as map files hold them; the same maps with every cell varying freely
// within a narrow range of its table, which repeats far less; and the match search's worst
// case, maps of small values in no order. The anchors run
// Debian's jlha archiver (lh5 too) on the same bodies when it is installed: its time for a
// body minus its time for a one-byte file is the encoder's share, without the Java
// start-up; its CPU time counts all of its threads.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
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

// A map part way through tuning, or with logged values written into its tables: every cell
// varies freely within a narrow range of its table, and the text and the sites differ from
// map to map, so that what repeats is short (the small values' bytes in ever new orders)
// besides the layout and the empty space.
void FillVariedMap(TMapRecord& m, int k, std::mt19937& rng) {
  FillMap(m, k, rng);
  auto any = [&rng](int from, int to) { return std::uniform_int_distribution<int>(from, to)(rng); };
  m.MapName.Set("Logged map " + std::to_string(any(1000, 999999)));
  m.Comments.Set("Autotuned from " + std::to_string(any(2, 90)) + " logs, " + std::to_string(any(100, 99999)) +
                 " records, site spread " + std::to_string(any(1, 400)));
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kMainLoadSites; ++l) {
      m.IgnitionTable[s][l] = static_cast<int16_t>(any(10, 30));
      m.InjectionTable[s][l] = static_cast<int16_t>(any(600, 700));
      m.AFRTargetTable[s][l] = static_cast<int16_t>(any(125, 147));
      m.AFRCorrectionTable[s][l] = static_cast<int16_t>(16384 + any(-40, 40));
      m.AFRModeTable[s][l] = static_cast<uint8_t>(any(0, 2));
      if (l <= kAdditionalLoadRows) m.CoilOnTable[s][l] = static_cast<int16_t>(any(60, 70));
    }
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kAdditionalLoadRows; ++l) {
      m.BoostDutyTable[s][l] = static_cast<int16_t>(any(0, 40));
      m.BoostTargetTable[s][l] = static_cast<int16_t>(any(100, 140));
      m.VVTTable[s][l] = static_cast<int16_t>(any(0, 20));
      m.InjTimingTable[s][l] = static_cast<int16_t>(any(180, 200));
    }
  for (int i = 0; i < 96; ++i) m.CylTrimCells[i] = static_cast<int16_t>(any(-4, 4));
  for (int i = 0; i < 33; ++i) m.SpeedSites[i] = static_cast<uint16_t>(m.SpeedSites[i] + any(0, 120));
  for (int i = 0; i < kTemperatureSites; ++i) {
    m.CoolantFuelCorrection[i] = static_cast<int16_t>(any(0, 60));
    m.IdleSpeedByCoolant[i] = static_cast<int16_t>(any(85, 140));
    m.CrankingPrime[i] = static_cast<int16_t>(any(20, 300));
  }
}

// The match search's worst case: a map whose every word after the text holds a small value
// 0..15 in no order (as if every table were a table of switches), so that each position has
// a great many earlier ones beginning the same and none of them goes on for long.
void FillSmallValueMap(TMapRecord& m, int k, std::mt19937& rng) {
  FillMap(m, k, rng);
  auto* bytes = reinterpret_cast<uint8_t*>(&m);
  std::uniform_int_distribution<int> small(0, 15);
  for (size_t i = offsetof(TMapRecord, IgnitionTable); i + 1 < sizeof m; i += 2) {
    bytes[i] = static_cast<uint8_t>(small(rng));
    bytes[i + 1] = 0;
  }
}

enum Body { kTunedMaps = 0, kVariedMaps = 1, kSmallValueMaps = 2 };

// Maps one after another up to `size` bytes, three maps to a file's worth.
std::vector<uint8_t> MapRecordBody(size_t size, Body kind = kTunedMaps) {
  std::mt19937 rng(5);
  std::vector<uint8_t> body;
  body.reserve(size + sizeof(TMapRecord));
  TMapRecord m{};
  for (int k = 1; body.size() < size; ++k) {
    if (kind == kVariedMaps)
      FillVariedMap(m, k, rng);
    else if (kind == kSmallValueMaps)
      FillSmallValueMap(m, k, rng);
    else
      FillMap(m, k, rng);
    const auto* p = reinterpret_cast<const uint8_t*>(&m);
    body.insert(body.end(), p, p + sizeof m);
  }
  body.resize(size);
  return body;
}

constexpr size_t kBodySize = 1 << 20;

// Encodes `body` each iteration; counts its bytes, the packed size and the working memory.
void EncodeBody(benchmark::State& state, const std::vector<uint8_t>& body) {
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

// Argument 0: the body (0 tuned maps, 1 varied maps, 2 small-value maps).
void BM_Lh5Encode(benchmark::State& state) {
  const std::vector<uint8_t> body = MapRecordBody(kBodySize, static_cast<Body>(state.range(0)));
  EncodeBody(state, body);
}
BENCHMARK(BM_Lh5Encode)
    ->ArgName("body")
    ->DenseRange(kTunedMaps, kSmallValueMaps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A body 16 times larger: the same fixed buffers, and the time per MB of a long input
// (the tuned body repeated, the others made as long).
void BM_Lh5Encode16MiB(benchmark::State& state) {
  const auto kind = static_cast<Body>(state.range(0));
  std::vector<uint8_t> body;
  if (kind == kTunedMaps) {
    const std::vector<uint8_t> one = MapRecordBody(kBodySize);
    for (int i = 0; i < 16; ++i) body.insert(body.end(), one.begin(), one.end());
  } else {
    body = MapRecordBody(16 * kBodySize, kind);
  }
  EncodeBody(state, body);
}
BENCHMARK(BM_Lh5Encode16MiB)
    ->ArgName("body")
    ->DenseRange(kTunedMaps, kSmallValueMaps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

void BM_Lh5Decode(benchmark::State& state) {
  const std::vector<uint8_t> body = MapRecordBody(kBodySize, static_cast<Body>(state.range(0)));
  const std::vector<uint8_t> bits = lh5::Encode(body.data(), body.size());
  for (auto _ : state) {
    std::vector<uint8_t> plain = lh5::Decode(bits.data(), bits.size(), body.size());
    benchmark::DoNotOptimize(plain.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_Lh5Decode)
    ->ArgName("body")
    ->DenseRange(kTunedMaps, kSmallValueMaps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

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

// The CPU time of the child processes so far (jlha's Java threads included), in seconds.
double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void RunJlha(benchmark::State& state, size_t size, Body kind) {
  if (!HaveJlha()) {
    state.SkipWithError("jlha (Debian's jlha-utils) is not installed");
    return;
  }
  const std::vector<uint8_t> body = size ? MapRecordBody(size, kind) : std::vector<uint8_t>{'x'};
  const auto file = AnchorDir() / "body.bin";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(body.data()),
                                              static_cast<std::streamsize>(body.size()));
  size_t archive = 0;
  const double cpuBefore = ChildCpuSeconds();
  for (auto _ : state) archive = JlhaArchive(file);
  if (archive == 0) state.SkipWithError("jlha failed");
  state.counters["archive_bytes"] = static_cast<double>(archive);
  // CPU time per run, all of jlha's threads: compare with the encoder's time (one thread).
  state.counters["cpu_ms"] = 1e3 * (ChildCpuSeconds() - cpuBefore) / static_cast<double>(state.iterations());
}

// jlha on the 1 MB bodies, Java start-up included (argument: the body).
void BM_JlhaEncode(benchmark::State& state) { RunJlha(state, kBodySize, static_cast<Body>(state.range(0))); }
BENCHMARK(BM_JlhaEncode)
    ->ArgName("body")
    ->DenseRange(kTunedMaps, kSmallValueMaps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// jlha on 16 MiB of the less repetitive bodies, where its start-up matters little.
void BM_JlhaEncode16MiB(benchmark::State& state) { RunJlha(state, 16 * kBodySize, static_cast<Body>(state.range(0))); }
BENCHMARK(BM_JlhaEncode16MiB)
    ->ArgName("body")
    ->DenseRange(kVariedMaps, kSmallValueMaps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// jlha on a one-byte file: its start-up, to subtract from the lines above.
void BM_JlhaStartup(benchmark::State& state) { RunJlha(state, 0, kTunedMaps); }
BENCHMARK(BM_JlhaStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
