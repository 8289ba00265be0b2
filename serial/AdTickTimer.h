#pragma once
// The family's time base: intervals are counted in ticks of 55 ms on the platform's
// millisecond clock (which tests can replace).
#include <cstdint>

constexpr uint32_t kMsPerTick = 55;
// Tick counts run from 0 to TickRange - 1 and then wrap with the 32-bit millisecond clock.
constexpr int32_t kTickRange = static_cast<int32_t>(0xFFFFFFFFu / kMsPerTick) + 1;  // 78,090,315
// The longest interval a tick timer holds: half the tick range.
constexpr int32_t MaxTicks = 39045157;

// Unsigned 32-bit milliseconds; wraps after about 49.7 days.
uint32_t MsClock();
int32_t CurrentTicks();

struct TTickTimer {
  int32_t StartTicks;
  int32_t ExpireTicks;
};

// Starts Timer now for Ticks (cut to MaxTicks; a negative count gives a timer that is
// already expired).
void StartTickTimer(TTickTimer& Timer, int32_t Ticks);
bool TickTimerExpired(const TTickTimer& Timer);
// Milliseconds until Timer expires on the clock as it runs now (0 when it has); across a wrap
// of the tick count, one tick (look again then).
uint32_t TickTimerMsLeft(const TTickTimer& Timer);

// Result of PumpOneMessage when the application has been asked to quit.
constexpr uint32_t kQuitMessage = 18;

// Handles the GUI thread's pending messages once. 0 when there was nothing to do,
// kQuitMessage when the application has been asked to quit (the request stays in force).
uint32_t PumpOneMessage();

// Waits Ticks ticks (at most MaxTicks); with Yield the GUI thread's messages are handled
// meanwhile, so serial events and packets keep arriving. Ends early with kQuitMessage when the
// application is asked to quit. Returns the last pump result (0 without Yield).
uint32_t WaitTicks(int32_t Ticks, bool Yield);
