#include <gtest/gtest.h>

#include "platform/os/Clock.h"
#include "serial/AdTickTimer.h"
#include "serial/AwGui.h"

namespace {

class TickTimerTest : public ::testing::Test {
 protected:
  os::ManualClock clock_{55 * 1000};
  os::ScopedClock scoped_{clock_};
};

TEST_F(TickTimerTest, ZeroTicksExpireAfterTheNextTickBoundary) {
  TTickTimer t;
  StartTickTimer(t, 0);
  EXPECT_FALSE(TickTimerExpired(t));
  clock_.Advance(54);
  EXPECT_FALSE(TickTimerExpired(t));
  clock_.Advance(1);
  EXPECT_TRUE(TickTimerExpired(t));
}

TEST_F(TickTimerTest, OneTickLastsBetween55And110Ms) {
  // Started at the beginning of a tick: expires after 110 ms.
  TTickTimer t;
  StartTickTimer(t, 1);
  clock_.Advance(109);
  EXPECT_FALSE(TickTimerExpired(t));
  clock_.Advance(1);
  EXPECT_TRUE(TickTimerExpired(t));
  // Started at the end of a tick: expires after 56 ms.
  clock_.Set(55 * 2000 + 54);
  StartTickTimer(t, 1);
  clock_.Advance(55);
  EXPECT_FALSE(TickTimerExpired(t));
  clock_.Advance(1);
  EXPECT_TRUE(TickTimerExpired(t));
}

// The dispatch thread sleeps until the next timer trigger is due: the time left must end
// exactly where the expiry test turns true, never a tick early or late.
TEST_F(TickTimerTest, TimeLeftEndsWhereTheTimerExpires) {
  struct {
    uint64_t start;  // clock at the start
    int32_t ticks;
    uint64_t later;  // clock advanced by this before asking
  } cases[] = {
      {55 * 1000, 0, 0},        // 0 ticks: at the next boundary
      {55 * 1000, 1, 0},        // a tick from its beginning: 110 ms
      {55 * 1000 + 54, 1, 0},   // from the end of a tick: 56 ms
      {55 * 1000, 18, 500},     // part way through the link watchdog
      {55 * 1000 + 20, 2, 200},  // already expired
  };
  for (const auto& c : cases) {
    clock_.Set(c.start);
    TTickTimer t;
    StartTickTimer(t, c.ticks);
    clock_.Advance(c.later);
    const uint32_t left = TickTimerMsLeft(t);
    if (left > 0) {
      clock_.Advance(left - 1);
      EXPECT_FALSE(TickTimerExpired(t)) << c.start << "+" << c.ticks;
      clock_.Advance(1);
    }
    EXPECT_TRUE(TickTimerExpired(t)) << c.start << "+" << c.ticks;
    EXPECT_EQ(TickTimerMsLeft(t), 0u);
  }
}

TEST_F(TickTimerTest, LongIntervalsAreCutAndNegativeOnesAreExpired) {
  TTickTimer t;
  StartTickTimer(t, 100000000);
  EXPECT_EQ(t.ExpireTicks - t.StartTicks, MaxTicks);
  StartTickTimer(t, -5);
  EXPECT_TRUE(TickTimerExpired(t));
  EXPECT_EQ(WaitTicks(0, true), 0u);
  EXPECT_EQ(WaitTicks(-3, true), 0u);
}

TEST_F(TickTimerTest, TimerAcrossTheClockWrapExpiresOnTime) {
  // 100 ticks before the 32-bit millisecond clock wraps.
  clock_.Set(0xFFFFFFFFull - 100 * 55);
  TTickTimer t;
  StartTickTimer(t, 150);
  clock_.Advance(100 * 55);
  EXPECT_FALSE(TickTimerExpired(t));
  clock_.Advance(45 * 55);  // wrapped, 145 ticks in
  EXPECT_FALSE(TickTimerExpired(t));
  clock_.Advance(7 * 55);  // 152 ticks in
  EXPECT_TRUE(TickTimerExpired(t));
}

// A GUI loop whose every round moves the clock on, and which can be asked to quit.
class SteppingBridge : public apd::gui::GuiBridge {
 public:
  explicit SteppingBridge(os::ManualClock& clock) : clock_(clock) {}
  bool IsGuiThread() const override { return true; }
  void Post(std::function<void()>) override {}
  bool Send(std::function<void()> Call, int) override {
    Call();
    return true;
  }
  bool PumpMessages() override {
    ++pumps;
    clock_.Advance(10);
    return true;
  }
  bool QuitRequested() const override { return quit; }
  int pumps = 0;
  bool quit = false;

 private:
  os::ManualClock& clock_;
};

TEST_F(TickTimerTest, WaitKeepsTheGuiGoingAndEndsOnQuit) {
  SteppingBridge bridge(clock_);
  apd::gui::SetBridge(&bridge);
  EXPECT_EQ(WaitTicks(2, true), 1u);
  EXPECT_GE(bridge.pumps, 11);  // at least 110 ms of 10 ms rounds
  bridge.quit = true;
  bridge.pumps = 0;
  EXPECT_EQ(WaitTicks(100, true), kQuitMessage);
  EXPECT_EQ(bridge.pumps, 0);
  apd::gui::SetBridge(nullptr);
}

}  // namespace
