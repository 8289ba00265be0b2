// Live data, link loss and recovery, and damaged packets, through the program's own serial
// stack against the simulated ECU.
#include <algorithm>
#include <tuple>

#include "e2e/EcuLink.h"
#include "ecusim/EngineModel.h"

namespace e2e {
namespace {

using ecusim::Ecu;

// Values that put C0 and DB bytes into the data, so stuffing is crossed end to end.
void SetDistinctValues(Ecu& e) {
  auto& f = e.State().fast;
  f.rpm = 0x1BC0;               // 7104
  f.speedSite = 14;
  f.speedFraction = 0x40;
  f.manifoldPressure = 0x03DB;  // 98.7 kPa
  f.throttlePercent = 87;
  f.advance = -12;
  f.afr = 0xDB;                 // 21.9
  f.pulseCount1 = 0xC0C0;
  f.loadSite = 9;
  f.loadFraction = 0xC0;
  auto& s = e.State().slow;
  s.coolantTemp = 91;
  s.airTemp = 33;
  s.battery = 0xC0;
  s.egt = 0x02DB;               // 731
  e.State().identity.serialNumber = 0xDBC0;
}

class LiveLink : public EcuLink {
 protected:
  LiveLink() : EcuLink(231) {}
};

TEST_F(LiveLink, LiveValuesAndIdentityMatchWhatTheEcuSent) {
  sim.With([](Ecu& e) { SetDistinctValues(e); });
  ASSERT_TRUE(PumpUntil([] { return LiveFast.RPM == 0x1BC0 && LiveEGT == 0x02DB; }));
  EXPECT_TRUE(ECUConnected);
  EXPECT_EQ(LiveFast.ManifoldPressure, 0x03DB);
  EXPECT_EQ(LiveFast.ThrottlePercent, 87);
  EXPECT_EQ(LiveFast.Advance, -12);
  EXPECT_EQ(LiveFast.AFR, 0xDB);
  EXPECT_EQ(LiveFast.PulseCount1, 0xC0C0);
  EXPECT_EQ(LiveSpeedSite, 14);
  EXPECT_EQ(LiveSpeedFraction, 0x40 + 128);
  EXPECT_EQ(LiveLoadSite, 10);
  EXPECT_EQ(LiveLoadFraction, 0xC0 - 128);
  EXPECT_EQ(LiveSlow.CoolantTemp, 91);
  EXPECT_EQ(LiveSlow.AirTemp, 33);
  EXPECT_EQ(LiveSlow.Battery, 0xC0);
  EXPECT_DOUBLE_EQ(LiveValues[20], 7104);

  // The first fast packet asked for the identity.
  ASSERT_TRUE(PumpUntil([] { return ECUIdentity.SerialNumber == 0xDBC0; }));
  EXPECT_EQ(ECUIdentity.Protocol, 3);
  EXPECT_EQ(ECUIdentity.FirmwareVersion, sim.With([](Ecu& e) { return e.State().identity.firmwareVersion; }));
  EXPECT_FALSE(handler.CommsDisabled());
}

TEST_F(LiveLink, EngineModelValuesArriveInOrder) {
  constexpr std::uint32_t kSeed = 7;
  sim.With([](Ecu& e) { e.RunEngine(kSeed); });
  // The engine idles at 850 rpm and more; the values before it ran are 0.
  ASSERT_TRUE(PumpUntil([&] {
    return std::count_if(host.fast.begin(), host.fast.end(), [](const TFastLiveRaw& f) { return f.RPM >= 800; }) >= 40;
  }));

  // The same engine, stepped once per packet, gives the sequence the ECU sent.
  using Key = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t>;
  auto key = [](int32_t rpm, int32_t tps, int32_t map, int32_t afr, int32_t pulses) {
    return Key{rpm, tps, map, afr, pulses};
  };
  std::vector<Key> expected;
  ecusim::EngineModel model(kSeed);
  ecusim::FastLive f;
  ecusim::SlowLive s;
  for (int i = 0; i < 5000; ++i) {
    model.Step(ecusim::Timing{}.fastIntervalMs, f, s);  // the ECU's own cadence
    expected.push_back(key(f.rpm, f.throttlePercent, f.manifoldPressure, f.afr, f.pulseCount1));
  }
  std::vector<Key> received;
  for (const TFastLiveRaw& r : host.fast)
    if (r.RPM >= 800) received.push_back(key(r.RPM, r.ThrottlePercent, r.ManifoldPressure, r.AFR, r.PulseCount1));
  const auto at = std::search(expected.begin(), expected.end(), received.begin(), received.end());
  EXPECT_NE(at, expected.end()) << "the received packets are not a run of the engine's sequence";
  // The values move: the mixture at least changes from packet to packet.
  EXPECT_GT(std::count_if(received.begin() + 1, received.end(),
                          [&, prev = received.front()](const Key& k) mutable {
                            const bool changed = k != prev;
                            prev = k;
                            return changed;
                          }),
            static_cast<long>(received.size() / 2));
}

TEST_F(LiveLink, LinkGoesDownWhenTheEcuFallsSilentAndComesBack) {
  sim.With([](Ecu& e) { SetDistinctValues(e); });
  ASSERT_TRUE(PumpUntil([&] { return ECUConnected && LiveFast.RPM == 0x1BC0 && host.configs >= 1; }));
  const std::uint32_t configRequests = sim.FramesReceived('c');

  const int lost = linksLost;
  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([&] { return linksLost > lost; }));
  EXPECT_FALSE(ECUConnected);
  EXPECT_EQ(LiveFast.RPM, 0);
  EXPECT_EQ(LiveFast.AFR, 0);
  EXPECT_EQ(LiveSlow.CoolantTemp, 0);
  EXPECT_EQ(LiveEGT, 0);
  EXPECT_EQ(ECUIdentity.FirmwareVersion, 0);

  sim.SetStreaming(true);
  ASSERT_TRUE(PumpUntil([] { return ECUConnected && LiveFast.RPM == 0x1BC0; }));
  // Coming back, the link asks again for the configuration and the identity.
  ASSERT_TRUE(PumpUntil([&] { return sim.FramesReceived('c') > configRequests && ECUIdentity.FirmwareVersion != 0; }));
}

TEST_F(LiveLink, DamagedAndOverLongPacketsAreDroppedAndTheStreamGoesOn) {
  sim.With([](Ecu& e) { SetDistinctValues(e); });
  ASSERT_TRUE(PumpUntil([] { return ECUConnected && LiveFast.RPM == 0x1BC0; }));
  // One at a time: a cut-off packet also takes the packet after it down with it, since
  // that one's start ends it.
  for (const auto fault : {ecusim::LineFault::OverLong, ecusim::LineFault::Truncated}) {
    const int32_t dropped = DroppedPacketCount;
    sim.With([fault](Ecu& e) { e.InjectFault(fault); });
    ASSERT_TRUE(PumpUntil([&] { return DroppedPacketCount > dropped; }));
  }
  // Wrong escapes leave the framing intact; the packet is taken as the bytes say.
  const std::size_t fastBefore = host.fast.size();
  sim.With([](Ecu& e) { e.InjectFault(ecusim::LineFault::BadStuffing); });
  ASSERT_TRUE(PumpUntil([&] { return host.fast.size() > fastBefore + 2; }));
  EXPECT_TRUE(std::all_of(host.fast.begin() + static_cast<long>(fastBefore), host.fast.end(),
                          [](const TFastLiveRaw& f) { return f.RPM == 0x1BC0; }));
  sim.With([](Ecu& e) { e.State().fast.rpm = 3210; });
  ASSERT_TRUE(PumpUntil([] { return LiveFast.RPM == 3210; }));
  EXPECT_EQ(LiveFast.ManifoldPressure, 0x03DB);
}

TEST_F(LiveLink, LineDroppedAndBackOnANewTerminal) {
  sim.With([](Ecu& e) { SetDistinctValues(e); });
  ASSERT_TRUE(PumpUntil([] { return ECUConnected && LiveFast.RPM == 0x1BC0; }));

  const int lost = linksLost;
  sim.Stop();  // the adapter is pulled out
  ASSERT_TRUE(PumpUntil([&] { return linksLost > lost; }));
  EXPECT_EQ(LiveFast.RPM, 0);

  // Plugged in again: the user picks the port again, which reopens it.
  sim.Start();
  comms->SetOpen(false);
  OpenPort();
  ASSERT_EQ(comms->PortState(), 2);
  ASSERT_TRUE(PumpUntil([] { return ECUConnected && LiveFast.RPM == 0x1BC0; }));
}

}  // namespace
}  // namespace e2e
