// Throughput of the container body codec on 64 KiB of map-like data: three maps of
// smoothly varying 16-bit cells with their text and padding, as map files hold.
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>
#include "app/Lh5Codec.h"

namespace {

std::vector<uint8_t> MapLikeBody() {
  std::vector<uint8_t> d;
  d.reserve(64 * 1024);
  int map = 0;
  while (d.size() < 64 * 1024) {
    for (int row = 0; row < 32; ++row)
      for (int col = 0; col < 32; ++col) {
        double v = 1200 + 700 * std::sin(row / 6.0 + map) * std::cos(col / 9.0) + 15 * row + 9 * col;
        auto cell = static_cast<uint16_t>(v);
        d.push_back(static_cast<uint8_t>(cell));
        d.push_back(static_cast<uint8_t>(cell >> 8));
      }
    for (const char* s = "Ignition advance, boost target, injector scale; rpm axis 500..7500\r\n"; *s; ++s)
      d.push_back(static_cast<uint8_t>(*s));
    d.insert(d.end(), 300, 0);
    ++map;
  }
  d.resize(64 * 1024);
  return d;
}

void BM_Lh5Compress(benchmark::State& state) {
  const std::vector<uint8_t> body = MapLikeBody();
  size_t packed = 0;
  for (auto _ : state) {
    std::vector<uint8_t> bits = lh5::Encode(body.data(), body.size());
    packed = bits.size();
    benchmark::DoNotOptimize(bits.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
  state.counters["packed_bytes"] = static_cast<double>(packed);
}
BENCHMARK(BM_Lh5Compress);

void BM_Lh5Decompress(benchmark::State& state) {
  const std::vector<uint8_t> body = MapLikeBody();
  const std::vector<uint8_t> bits = lh5::Encode(body.data(), body.size());
  for (auto _ : state) {
    std::vector<uint8_t> plain = lh5::Decode(bits.data(), bits.size(), body.size());
    benchmark::DoNotOptimize(plain.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_Lh5Decompress);

}  // namespace
