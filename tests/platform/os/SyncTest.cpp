#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/os/Clock.h"
#include "platform/os/CriticalSection.h"
#include "platform/os/Event.h"
#include "platform/os/Thread.h"

namespace {

using os::Event;
using os::EventReset;

constexpr std::uint32_t kArrives = 5000;  // generous limit for "should arrive" waits

TEST(Event, AutomaticResetClearsOnTheWaitThatReportsIt) {
  Event ev(EventReset::Automatic);
  EXPECT_FALSE(ev.WaitFor(0));
  ev.Set();
  ev.Set();  // several sets before a wait still wake only once
  EXPECT_TRUE(ev.IsSet());
  EXPECT_TRUE(ev.WaitFor(0));
  EXPECT_FALSE(ev.WaitFor(0));
  Event initiallySet(EventReset::Automatic, true);
  EXPECT_TRUE(initiallySet.WaitFor(0));
}

TEST(Event, ManualResetStaysSetUntilReset) {
  Event ev(EventReset::Manual);
  ev.Set();
  EXPECT_TRUE(ev.WaitFor(0));
  EXPECT_TRUE(ev.WaitFor(0));
  ev.Reset();
  EXPECT_FALSE(ev.WaitFor(0));
  ev.Reset();  // resetting a clear event is harmless
  EXPECT_FALSE(ev.IsSet());
}

TEST(WaitForAny, ReportsTheLowestSignalledSourceOrTimeout) {
  Event a(EventReset::Automatic), b(EventReset::Manual), c(EventReset::Automatic);
  EXPECT_EQ(os::WaitForAny({&a, &b, &c}, 20), os::kWaitTimeout);
  c.Set();
  b.Set();
  EXPECT_EQ(os::WaitForAny({&a, &b, &c}, 0), 1);
  EXPECT_EQ(os::WaitForAny({&a, &b, &c}, 0), 1);  // manual: still set
  b.Reset();
  EXPECT_EQ(os::WaitForAny({&a, &b, &c}, 0), 2);
  EXPECT_EQ(os::WaitForAny({&a, &b, &c}, 0), os::kWaitTimeout);  // c was taken
}

TEST(WaitForAny, WakesWhenAnotherThreadSets) {
  Event ev(EventReset::Automatic), other(EventReset::Manual);
  std::thread setter([&] {
    os::Sleep(20);
    ev.Set();
  });
  EXPECT_EQ(os::WaitForAny({&other, &ev}, os::kInfinite), 1);
  setter.join();
}

TEST(WaitForAny, OneSetOfAnAutomaticEventWakesOneWaiter) {
  Event ev(EventReset::Automatic);
  std::atomic<int> woken{0};
  std::thread waiters[3];
  for (auto& t : waiters) t = std::thread([&] { woken += ev.WaitFor(300) ? 1 : 0; });
  ev.Set();
  for (auto& t : waiters) t.join();
  EXPECT_EQ(woken.load(), 1);
}

TEST(Thread, StopsWhenAsked) {
  os::Thread worker;
  Event started(EventReset::Manual);
  std::atomic<int> rounds{0};
  worker.Start([&](os::Thread& self) {
    started.Set();
    while (!self.Terminated()) {
      ++rounds;
      os::Sleep(1);
    }
  });
  ASSERT_TRUE(started.WaitFor(kArrives));
  EXPECT_FALSE(worker.WaitFor(10));
  EXPECT_FALSE(worker.Finished());
  worker.Terminate();
  EXPECT_TRUE(worker.WaitFor(kArrives));
  worker.Join();
  EXPECT_TRUE(worker.Finished());
  EXPECT_GT(rounds.load(), 0);
  EXPECT_EQ(worker.Failure(), nullptr);

  // A thread can be started again once joined.
  worker.Start([](os::Thread&) {});
  worker.Join();
  EXPECT_TRUE(worker.Finished());
}

TEST(Thread, AnEscapingExceptionEndsOnlyTheThread) {
  os::Thread worker;
  worker.Start([](os::Thread&) { throw std::runtime_error("boom"); });
  worker.Join();
  ASSERT_NE(worker.Failure(), nullptr);
  EXPECT_THROW(std::rethrow_exception(worker.Failure()), std::runtime_error);
}

TEST(Thread, DestructorStopsARunningBody) {
  std::atomic<bool> ended{false};
  {
    os::Thread worker;
    worker.Start([&](os::Thread& self) {
      while (!self.Terminated()) os::Sleep(1);
      ended = true;
    });
  }
  EXPECT_TRUE(ended.load());
}

// Priority steps as nice values: two steps of 5 either way, then the ends of the system's
// range for time-critical and idle; never outside -20..19 whatever the thread started with.
TEST(ThreadPriority, StepsBecomeNiceValuesWithinTheSystemsRange) {
  const int rows[][3] = {{0, 2, -10}, {0, 14, -10}, {0, 15, -20}, {0, -1, 5}, {0, -14, 10}, {0, -15, 19},
                         {4, 1, -1},  {12, -2, 19}, {-15, 2, -20}, {10, 15, -20}, {-5, -15, 19}};
  for (const auto& r : rows) EXPECT_EQ(os::NiceForPriority(r[0], r[1]), r[2]) << r[0] << " " << r[1];
}

// The system id lasts while the body runs: no priority is set on an id the system may
// already have handed to another thread.
TEST(Thread, SystemIdLastsWhileTheBodyRuns) {
  os::Thread worker;
  Event release(EventReset::Manual);
  std::atomic<int> seen{0};
  worker.Start([&](os::Thread&) {
    seen = static_cast<int>(gettid());
    release.WaitFor(kArrives);
  });
  const int id = worker.SystemId();
  EXPECT_NE(id, 0);
  EXPECT_EQ(worker.SetPriority(-1), 0);  // a lower priority is always given
  release.Set();
  worker.Join();
  EXPECT_EQ(seen.load(), id);
  EXPECT_EQ(worker.SystemId(), 0);
  EXPECT_EQ(worker.SetPriority(-1), ESRCH);
}

TEST(CriticalSection, IsReentrantAndExclusive) {
  os::CriticalSection section;
  os::CriticalSection::Guard outer(section);
  {
    os::CriticalSection::Guard inner(section);  // the same thread may enter again
    bool otherGotIn = true;
    std::thread([&] { otherGotIn = section.TryEnter(); }).join();
    EXPECT_FALSE(otherGotIn);
  }
}

TEST(Clock, ReplaceableAndWrapsAt32Bits) {
  const std::uint64_t before = os::MonotonicMilliseconds();
  {
    os::ManualClock manual(0xFFFFFFFEull);
    os::ScopedClock use(manual);
    EXPECT_EQ(os::TimeGetTime(), 0xFFFFFFFEu);
    manual.Advance(5);
    EXPECT_EQ(os::TimeGetTime(), 3u);
    EXPECT_EQ(os::GetTickCount(), 3u);
    EXPECT_EQ(os::MonotonicMilliseconds(), 0x100000003ull);
  }
  // The system clock is back, and it never runs backwards.
  EXPECT_GE(os::MonotonicMilliseconds(), before);
  const std::uint64_t t0 = os::MonotonicMilliseconds();
  os::Sleep(20);
  EXPECT_GE(os::MonotonicMilliseconds() - t0, 19u);
}

}  // namespace
