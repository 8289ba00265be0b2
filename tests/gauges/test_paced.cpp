// A paced action under a manual clock: at most one run per pace, the last request always
// carried out (by a later request, or by the timer that Flush stands for here).
#include <gtest/gtest.h>

#include "gauges/AbPaced.h"
#include "platform/os/Clock.h"
#include "platform/ui/Application.h"

namespace {

TEST(PacedCall, RunsAtMostOncePerPaceAndTheLastRequestLands) {
  Application->Initialize();
  enum Op { Request, Flush, Cancel, RunNow };
  struct Step {
    uint64_t advance;
    Op op;
    int runs;      // runs so far
    bool pending;  // a request waits
  };
  const Step steps[] = {
      {0, Request, 1, false},    // the first request runs at once
      {40, Request, 1, true},    // within the pace: waits
      {40, Request, 1, true},    // still within: one wait for both
      {45, Request, 2, false},   // 125 ms after the run: this request runs, once
      {124, Request, 2, true},
      {0, Flush, 3, false},      // the timer: the waiting request lands
      {0, Flush, 3, false},      // nothing waits: nothing runs
      {10, Request, 3, true},
      {0, Cancel, 3, false},     // dropped
      {200, Request, 4, false},
      {1, RunNow, 5, false},     // not paced
      {1, Request, 5, true},
      {38, Request, 5, true},    // 5500: a new slot, but 40 ms after the run
      {70, Request, 6, false},   // 5570: the slot's first that may run, 110 ms after
      {54, Request, 6, true},    // 5624: still that slot
  };
  os::ManualClock clock{5000};
  os::ScopedClock scoped{clock};
  int runs = 0;
  TAbPacedCall paced(125, [&] { ++runs; });
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    clock.Advance(s.advance);
    switch (s.op) {
      case Request: paced.Request(); break;
      case Flush: paced.Flush(); break;
      case Cancel: paced.Cancel(); break;
      case RunNow: paced.RunNow(); break;
    }
    EXPECT_EQ(runs, s.runs);
    EXPECT_EQ(paced.Pending(), s.pending);
  }
}

// Paces that divide one another share their slots: fed by the same stream of requests
// (a packet every 45 ms), every run of the slower call comes with a run of the faster,
// and each keeps to its rate.
TEST(PacedCall, CallsOfMultiplePacesRunOnTheSameRequests) {
  Application->Initialize();
  os::ManualClock clock{100013};
  os::ScopedClock scoped{clock};
  bool fastRan = false, slowRan = false;
  int fastRuns = 0, slowRuns = 0, together = 0;
  TAbPacedCall fast(200, [&] { fastRan = true; });
  TAbPacedCall slow(400, [&] { slowRan = true; });
  constexpr int kRequests = 445;  // 20 s
  for (int k = 0; k < kRequests; ++k) {
    fastRan = slowRan = false;
    fast.Request();
    slow.Request();
    fastRuns += fastRan;
    slowRuns += slowRan;
    together += fastRan && slowRan;
    clock.Advance(45);
  }
  EXPECT_EQ(together, slowRuns);
  EXPECT_NEAR(fastRuns, 100, 1);  // five a second
  EXPECT_NEAR(slowRuns, 50, 1);
}

}  // namespace
