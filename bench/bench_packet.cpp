// Packet matching throughput: the ECU's stream of DB C0 ... C0 packets cut by the packet
// component, fed in the chunk sizes a serial line delivers.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "serial/AdPacket.h"

namespace {

std::vector<uint8_t> EcuStream(int packets, int payload) {
  std::vector<uint8_t> bytes;
  for (int p = 0; p < packets; ++p) {
    bytes.push_back(0x11);  // a stray byte between packets
    bytes.push_back(0xDB);
    bytes.push_back(0xC0);
    for (int i = 0; i < payload; ++i) bytes.push_back(static_cast<uint8_t>((p + i) % 0xC0));
    bytes.push_back(0xC0);
  }
  return bytes;
}

void BM_SlipPackets(benchmark::State& state) {
  const int payload = static_cast<int>(state.range(0));
  const int chunk = static_cast<int>(state.range(1));
  const std::vector<uint8_t> stream = EcuStream(256, payload);
  TApdDataPacketManager manager(nullptr);
  TApdDataPacket packet(nullptr);
  manager.Attach(&packet);
  packet.SetStartString("\xDB\xC0");
  packet.SetEndCond(ecString);
  packet.SetEndString("\xC0");
  packet.SetIgnoreCase(false);
  packet.SetIncludeStrings(false);
  packet.SetTimeOut(40);
  int64_t delivered = 0;
  packet.SetOnStringPacket([&](TObject*, const AnsiString&) { ++delivered; });
  manager.StartListening();
  packet.SetEnabled(true);
  for (auto _ : state) {
    for (size_t at = 0; at < stream.size(); at += static_cast<size_t>(chunk)) {
      const size_t n = std::min(stream.size() - at, static_cast<size_t>(chunk));
      manager.Receive(stream.data() + at, static_cast<int>(n));
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
  state.counters["packets"] = benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kIsRate);
}
// Live-data sized packets and the larger map-data ones, in single bytes, small reads and
// whole buffers.
BENCHMARK(BM_SlipPackets)->Args({24, 1})->Args({24, 16})->Args({24, 4096})->Args({250, 64})->Args({250, 4096});

void BM_WildcardStartString(benchmark::State& state) {
  std::vector<uint8_t> stream;
  for (int i = 0; i < 4096; ++i) stream.push_back(static_cast<uint8_t>("ABCAXCQQ"[i % 8]));
  TApdDataPacketManager manager(nullptr);
  TApdDataPacket packet(nullptr);
  manager.Attach(&packet);
  packet.SetStartString("A?C");
  manager.StartListening();
  packet.SetEnabled(true);
  for (auto _ : state) manager.Receive(stream.data(), static_cast<int>(stream.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_WildcardStartString);

}  // namespace
