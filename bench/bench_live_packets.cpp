// Fast live packets decoded per second by the packet handler: the bodies as the packet
// component delivers them, with the handler's whole work per packet (decoding, live values,
// marker, watchdog re-arm through the host).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"

namespace {

class CountingHost : public ecu::PacketHost {
 public:
  void Send(const AnsiString&) override {}
  void ArmLinkWatchdog() override { ++arms; }
  void FastLiveReceived(const ecu::GridMarker&) override { ++fast; }
  int64_t arms = 0, fast = 0;
};

// A fast packet body: type 0, sub-code 0, 28 data bytes stuffed, trailer 0. The engine
// point moves from packet to packet, so the marker and the sites change as on the road.
std::string FastBody(int k) {
  const int rpm = 800 + (k * 37) % 6000;
  uint8_t d[28] = {};
  d[0] = static_cast<uint8_t>(rpm >> 8);
  d[1] = static_cast<uint8_t>(rpm);
  d[2] = static_cast<uint8_t>(rpm / 250);
  d[3] = static_cast<uint8_t>(k * 13);
  d[4] = 0x01;
  d[5] = static_cast<uint8_t>(k);
  d[6] = 0x03;
  d[7] = 0xDB;  // stuffed on the line
  d[8] = static_cast<uint8_t>(k % 100);
  d[10] = static_cast<uint8_t>(20 + k % 30);
  d[12] = 0x05;
  d[13] = 0xC0;  // stuffed on the line
  d[14] = static_cast<uint8_t>(k % 16);
  d[15] = static_cast<uint8_t>(k * 7);
  d[16] = d[17] = 147;
  std::string body("\0\0", 2);
  for (uint8_t b : d) {
    if (b == 0xC0) body += "\xDB\xDC";
    else if (b == 0xDB) body += "\xDB\xDD";
    else body += static_cast<char>(b);
  }
  body += '\0';
  return body;
}

void BM_FastLivePackets(benchmark::State& state) {
  TSettingsRecord units;
  FillChannelFunctions(units);
  CountingHost host;
  ecu::PacketHandler handler(host, units);
  std::vector<std::string> bodies;
  for (int k = 0; k < 256; ++k) bodies.push_back(FastBody(k));
  ECUConnected = true;  // the link is up: no configuration requests in the loop
  size_t i = 0;
  for (auto _ : state) {
    handler.HandlePacket(bodies[i]);
    i = (i + 1) & 255;
  }
  state.SetItemsProcessed(state.iterations());
  benchmark::DoNotOptimize(LiveFast.RPM);
  if (host.fast != static_cast<int64_t>(state.iterations())) state.SkipWithError("packets were dropped");
}
BENCHMARK(BM_FastLivePackets);

}  // namespace
