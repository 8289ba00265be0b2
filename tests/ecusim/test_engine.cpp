#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ecusim/Ecu.h"
#include "ecusim/EngineModel.h"
#include "ecusim/Framing.h"

namespace ecusim {
namespace {

std::vector<FastLive> RunModel(std::uint32_t seed, int steps, std::vector<SlowLive>* slows = nullptr) {
  EngineModel m(seed);
  FastLive f;
  SlowLive s;
  std::vector<FastLive> out;
  for (int i = 0; i < steps; ++i) {
    m.Step(100, f, s);
    out.push_back(f);
    if (slows) slows->push_back(s);
  }
  return out;
}

TEST(EcusimEngine, SameSeedSameRunAndPlausibleSmoothValues) {
  std::vector<SlowLive> slow;
  const auto a = RunModel(42, 3000, &slow);
  const auto b = RunModel(42, 3000);
  const auto c = RunModel(43, 3000);
  bool sameAsOther = true, revved = false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(EncodeFast(a[i]), EncodeFast(b[i])) << i;
    sameAsOther = sameAsOther && EncodeFast(a[i]) == EncodeFast(c[i]);
    EXPECT_GE(a[i].rpm, 800);
    EXPECT_LE(a[i].rpm, 7000);
    EXPECT_LE(a[i].speedSite, 31);
    EXPECT_LE(a[i].loadSite, 15);
    EXPECT_LE(a[i].throttlePercent, 100);
    revved = revved || a[i].rpm > 3000;
    if (i > 0) {
      // 100 ms apart: no jumps (the throttle moves 8 % in that time, the sensor's noise
      // adds a point at most).
      EXPECT_LE(std::abs(a[i].rpm - a[i - 1].rpm), 1000) << i;
      EXPECT_LE(std::abs(a[i].throttlePercent - a[i - 1].throttlePercent), 9) << i;
      EXPECT_GE(slow[i].coolantTemp, slow[i - 1].coolantTemp);
    }
  }
  EXPECT_FALSE(sameAsOther);
  EXPECT_TRUE(revved);
  EXPECT_EQ(slow.back().coolantTemp, 88);  // warmed up after five minutes
}

// As a running engine's, no fast packet repeats the last one, even while the driver holds
// the throttle; the accel fuelling follows the throttle's movement with its sign, the clutch
// goes down now and then, the outputs switch with the engine's state.
TEST(EcusimEngine, EveryFastPacketDiffersAndTheAdditionalReadingsFollowTheEngine) {
  std::vector<SlowLive> slow;
  const auto a = RunModel(42, 3000, &slow);
  int clutchDown = 0, gearChanges = 0, outputChanges = 0;
  bool accelUp = false, accelDown = false;
  for (std::size_t i = 1; i < a.size(); ++i) {
    ASSERT_NE(EncodeFast(a[i]), EncodeFast(a[i - 1])) << i;
    const int opening = a[i].throttlePercent - a[i - 1].throttlePercent;
    const int accel = (a[i].flags & 1) != 0 ? -a[i].gaugeValue : a[i].gaugeValue;
    if (opening >= 4) {
      EXPECT_GT(accel, 10) << i;
      accelUp = true;
    } else if (opening <= -4) {
      EXPECT_LT(accel, -10) << i;
      accelDown = true;
    }
    const bool down = (a[i].flags & 2) != 0;
    clutchDown += down;
    gearChanges += down && (a[i - 1].flags & 2) == 0;
    outputChanges += slow[i].outputs != slow[i - 1].outputs;
  }
  EXPECT_TRUE(accelUp && accelDown);
  EXPECT_GT(gearChanges, 10);
  EXPECT_GT(outputChanges, 20);
  EXPECT_EQ(slow.back().outputs & 1, 1);  // the fan runs once the engine is warm
  EXPECT_LT(clutchDown, static_cast<int>(a.size()) / 10);
}

TEST(EcusimEngine, EcuStepsTheEngineOncePerFastPacket) {
  Timing t;
  t.fastIntervalMs = 100;  // the model's step below
  Ecu ecu(t);
  ecu.RunEngine(5);
  std::vector<Packet> fast;
  for (std::uint64_t now = 0; now < 1000; now += 10) {
    ecu.Tick(now);
    for (auto& p : DecodePackets(ecu.TakeOutput()))
      if (p.type == kFastLive) fast.push_back(p);
  }
  const auto expected = RunModel(5, static_cast<int>(fast.size()));
  ASSERT_EQ(fast.size(), 10u);
  for (std::size_t i = 0; i < fast.size(); ++i) EXPECT_EQ(fast[i].data, EncodeFast(expected[i])) << i;
}

TEST(EcusimEngine, LineFaults) {
  Ecu ecu;
  ecu.SetStreaming(false);
  ecu.State().fast.rpm = 0x1234;
  const std::string good = EncodePacket(kFastLive, 0, ecu.FastData(), 0);

  ecu.InjectFault(LineFault::Truncated);
  ecu.Tick(0);
  EXPECT_EQ(ecu.TakeOutput(), good.substr(0, good.size() / 2));

  ecu.InjectFault(LineFault::OverLong);
  ecu.Tick(10);
  auto packets = DecodePackets(ecu.TakeOutput());
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].bodySize, 303u);

  ecu.InjectFault(LineFault::BadStuffing);
  ecu.Tick(20);
  const std::string bad = ecu.TakeOutput();
  EXPECT_NE(bad.find("\xDB\x41"), std::string::npos);
  EXPECT_EQ(bad.substr(bad.size() - 3), std::string("\xDB\0\xC0", 3));
  packets = DecodePackets(bad);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].data.size(), kFastDataSize + 1);  // the extra 41; the lone DB is dropped
  EXPECT_EQ(packets[0].data.substr(0, 10), ecu.FastData().substr(0, 10));

  ecu.Tick(30);  // a fault goes out once
  EXPECT_TRUE(ecu.TakeOutput().empty());
}

}  // namespace
}  // namespace ecusim
