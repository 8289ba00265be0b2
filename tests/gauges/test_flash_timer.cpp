// The application-wide gauge timer under a manual clock: blink periods, interval clients
// with their lateness, the one-second tick and clients that leave during a pass.
#include <gtest/gtest.h>

#include "gauges/AbFlashT.h"
#include "platform/os/Clock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace {

struct Probe : TGraphicControl {
  explicit Probe(TComponent* o) : TGraphicControl(o) {}
  std::vector<std::pair<uint64_t, LPARAM>> got;  // (time, lparam)
  std::function<void()> on_message;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_FLASH) {
      got.emplace_back(os::MonotonicMilliseconds(), m.LParam);
      if (on_message) on_message();
      return;
    }
    TGraphicControl::WndProc(m);
  }
  ~Probe() override { RemoveFlashClient(this); }
};

class FlashTimerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void SetUp() override { abflash::Reset(); }
  void TearDown() override { abflash::Reset(); }
  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  // n ticks of 16 ms.
  void Run(int n) {
    for (int i = 0; i < n; ++i) {
      clock.Advance(16);
      abflash::FlashTimerTick();
    }
  }
};

TEST_F(FlashTimerTest, BlinkModesFlipEveryTwoToTheModeTicks) {
  for (int mode = 2; mode <= 6; ++mode) {
    abflash::Reset();
    Probe p(nullptr);
    AddFlashClient(&p, mode);
    Run(4 << mode);
    ASSERT_GE(p.got.size(), 3u) << mode;
    // One on/off period is 2^(mode+1) ticks: 128 ms for mode 2 ... 2048 ms for mode 6.
    EXPECT_EQ(p.got[2].first - p.got[0].first, (16u << (mode + 1))) << mode;
    EXPECT_NE(p.got[0].second, p.got[1].second);
  }
  // Two clients of one mode blink in phase.
  abflash::Reset();
  Probe a(nullptr), b(nullptr);
  AddFlashClient(&a, 5);
  Run(40);
  AddFlashClient(&b, 5);
  Run(100);
  ASSERT_FALSE(b.got.empty());
  EXPECT_EQ(a.got.back(), b.got.back());
}

TEST_F(FlashTimerTest, IntervalClientsGetTheirLateness) {
  Probe p(nullptr);
  AddFlashClient(&p, 100);  // due at +100
  clock.Advance(130);
  abflash::FlashTimerTick();
  ASSERT_EQ(p.got.size(), 1u);
  EXPECT_EQ(p.got[0].second, 30);
  clock.Advance(69);  // due again 30 ms early: at +70
  abflash::FlashTimerTick();
  EXPECT_EQ(p.got.size(), 1u);
  clock.Advance(1);
  abflash::FlashTimerTick();
  ASSERT_EQ(p.got.size(), 2u);
  EXPECT_EQ(p.got[1].second, 0);
  clock.Advance(1600);  // far too late: counted as on time
  abflash::FlashTimerTick();
  EXPECT_EQ(p.got.back().second, 0);
  clock.Advance(99);
  abflash::FlashTimerTick();
  EXPECT_EQ(p.got.size(), 3u);
  clock.Advance(1);
  abflash::FlashTimerTick();
  EXPECT_EQ(p.got.size(), 4u);
  // A second registration keeps one record and restarts the due time.
  AddFlashClient(&p, 500);
  EXPECT_EQ(abflash::ClientCount(), 1);
}

TEST_F(FlashTimerTest, OneSecondTickFollowsTheMonotonicClock) {
  Probe p(nullptr);
  AddFlashClient(&p, 32);
  Run(62);  // 992 ms
  EXPECT_TRUE(p.got.empty());
  Run(1);
  EXPECT_EQ(p.got.size(), 1u);
  // Slow ticks still give one message per second.
  for (int i = 0; i < 10; ++i) {
    clock.Advance(250);
    abflash::FlashTimerTick();
  }
  EXPECT_EQ(p.got.size(), 3u);
}

TEST_F(FlashTimerTest, ClientsLeavingDuringAPassStopItSafely) {
  auto* a = new Probe(nullptr);
  Probe b(nullptr), c(nullptr);
  for (Probe* p : {a, &b, &c}) AddFlashClient(p, 16);
  // a frees itself and b while handling its message; the pass goes on without touching them.
  bool bGone = false;
  a->on_message = [self = a, other = &b, flag = &bGone] {
    Probe* s = self;  // the handler is freed with its control: work from copies
    RemoveFlashClient(other);
    *flag = true;
    delete s;
  };
  Run(1);
  EXPECT_TRUE(bGone);
  EXPECT_FALSE(abflash::IsClient(&b));
  EXPECT_TRUE(abflash::IsClient(&c));
  EXPECT_TRUE(b.got.empty());
  EXPECT_EQ(abflash::ClientCount(), 1);
  Run(2);
  EXPECT_FALSE(c.got.empty());
}

TEST_F(FlashTimerTest, TheTimerStartsWithTheFirstClientAndStaysAlone) {
  EXPECT_EQ(abflash::FlashTimer(), nullptr);
  Probe p(nullptr);
  AddFlashClient(nullptr, 5);
  EXPECT_EQ(abflash::FlashTimer(), nullptr);
  AddFlashClient(&p, 5);
  ASSERT_NE(abflash::FlashTimer(), nullptr);
  EXPECT_TRUE(abflash::FlashTimer()->Running());
  RemoveFlashClient(&p);
  ASSERT_NE(abflash::FlashTimer(), nullptr);  // stays while the application runs
  EXPECT_FALSE(abflash::FlashTimer()->Running());  // but sleeps with no client
  ui::DialogScript script;
  script.Answer(IDOK);
  {
    TAbFlashTimer second(nullptr);
    EXPECT_FALSE(second.Running());
  }
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Last().Text, "Only one TAbFlashTimer per Application!\rRemove it...");
  EXPECT_EQ(script.Last().Caption, "Error Message");
  EXPECT_FALSE(abflash::FlashTimer()->Running());
  AddFlashClient(&p, 5);
  EXPECT_TRUE(abflash::FlashTimer()->Running());
}

// Nothing is sent between a blink's flips, the interval clients' times and the next second,
// so the timer sleeps until the earliest of them instead of ticking every 16 ms; it wakes a
// twentieth later than due (and a millisecond) rather than early.
TEST_F(FlashTimerTest, TheTimerSleepsUntilTheNextClientIsDue) {
  struct Case {
    std::vector<int64_t> modes;
    int delay;
  };
  const Case cases[] = {
      {{500}, 526},        // a recording trend: 500 + 25 + 1
      {{500, 120}, 127},   // the earliest interval wins
      {{32}, 1051},        // the one-second tick
      {{500, 3}, 135},     // a blink flips every 2^mode ticks: 128
      {{500, 2, 6}, 68},   // 64
      {{10}, 11},
  };
  for (const Case& c : cases) {
    abflash::Reset();
    std::vector<std::unique_ptr<Probe>> probes;
    for (int64_t m : c.modes) {
      probes.push_back(std::make_unique<Probe>(nullptr));
      AddFlashClient(probes.back().get(), m);
    }
    ASSERT_NE(abflash::FlashTimer(), nullptr);
    EXPECT_EQ(abflash::FlashTimer()->NextDelay(), c.delay) << c.modes.size() << " " << c.modes[0];
    EXPECT_TRUE(abflash::FlashTimer()->Running());
  }
  // A 500 ms client woken by the timer alone gets a message on every wake, a little late,
  // and its lateness keeps the count on time.
  abflash::Reset();
  Probe trend(nullptr);
  AddFlashClient(&trend, 500);
  for (int i = 0; i < 5; ++i) {
    clock.Advance(static_cast<uint64_t>(abflash::FlashTimer()->NextDelay()));
    abflash::FlashTimerTick();
  }
  ASSERT_EQ(trend.got.size(), 5u);
  EXPECT_NEAR(static_cast<double>(trend.got[4].first - trend.got[0].first), 2000.0, 30.0);
  for (const auto& [time, late] : trend.got) EXPECT_LE(late, 27);

  // A blink woken only at its flips keeps the period it has when woken every tick.
  for (int mode = 2; mode <= 6; ++mode) {
    abflash::Reset();
    Probe p(nullptr);
    AddFlashClient(&p, mode);
    for (int i = 0; i < 4; ++i) {
      clock.Advance(static_cast<uint64_t>(abflash::FlashTimer()->NextDelay()));
      abflash::FlashTimerTick();
    }
    ASSERT_EQ(p.got.size(), 4u) << mode;
    const double period = 16 << (mode + 1);
    EXPECT_NEAR(static_cast<double>(p.got[2].first - p.got[0].first), period, period / 20 + 2) << mode;
    EXPECT_NE(p.got[0].second, p.got[1].second) << mode;
  }
}

// A display paced at 200 ms takes over a 256 ms blink: it flips in every pass, one pace
// apart, and the timer's ticks in between leave it alone; once the passes stop the timer
// takes it back. A quicker blink and a hidden one stay with the timer.
TEST_F(FlashTimerTest, PacedPassesTakeOverTheBlinksWhileTheyCome) {
  Probe slow(nullptr), quick(nullptr), hidden(nullptr);
  hidden.SetVisible(false);
  AddFlashClient(&slow, 4);
  AddFlashClient(&quick, 2);
  AddFlashClient(&hidden, 4);
  clock.Advance(300);
  for (int pass = 0; pass < 10; ++pass) {
    const size_t quickBefore = quick.got.size();
    abflash::PacedPass(200);
    ASSERT_EQ(slow.got.size(), static_cast<size_t>(pass + 1)) << pass;
    EXPECT_EQ(slow.got.back().first, clock.Milliseconds());
    if (pass > 0) {
      EXPECT_NE(slow.got[static_cast<size_t>(pass)].second, slow.got[static_cast<size_t>(pass) - 1].second);
    }
    EXPECT_EQ(quick.got.size(), quickBefore);
    Run(12);  // the timer's ticks until the next pass
    clock.Advance(8);
    EXPECT_EQ(slow.got.size(), static_cast<size_t>(pass + 1)) << pass;
  }
  EXPECT_GE(quick.got.size(), 25u);  // every 64 ms of the ticks
  // The hidden one flips on the timer's ticks (as ever), never in a pass.
  for (const auto& [time, state] : hidden.got)
    for (const auto& [passTime, passState] : slow.got) EXPECT_NE(time, passTime);

  // The timer sleeps until two paces after the last pass, then blinks at its own period.
  abflash::Reset();
  Probe p(nullptr);
  AddFlashClient(&p, 4);
  clock.Advance(200);
  abflash::PacedPass(200);
  ASSERT_EQ(p.got.size(), 1u);
  EXPECT_EQ(abflash::FlashTimer()->NextDelay(), 421);  // 400 + 20 + 1
  for (int i = 0; i < 5; ++i) {
    clock.Advance(static_cast<uint64_t>(abflash::FlashTimer()->NextDelay()));
    abflash::FlashTimerTick();
  }
  ASSERT_GE(p.got.size(), 4u);
  EXPECT_NEAR(static_cast<double>(p.got.back().first - p.got[p.got.size() - 2].first), 256.0, 16.0);
}

TEST_F(FlashTimerTest, CounterWrapsToZero) {
  Probe p(nullptr);
  AddFlashClient(&p, 2);
  abflash::SetFlashCounter(0xFFFFFFFFu);
  abflash::FlashTimerTick();
  EXPECT_EQ(abflash::FlashCounter(), 0u);
}

}  // namespace
