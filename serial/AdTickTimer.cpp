#include "serial/AdTickTimer.h"

#include <algorithm>

#include "platform/os/Clock.h"
#include "serial/AwGui.h"

uint32_t MsClock() { return os::TimeGetTime(); }

int32_t CurrentTicks() { return static_cast<int32_t>(MsClock() / kMsPerTick); }

void StartTickTimer(TTickTimer& Timer, int32_t Ticks) {
  Timer.StartTicks = CurrentTicks();
  Timer.ExpireTicks = Timer.StartTicks + std::min(Ticks, MaxTicks);
}

bool TickTimerExpired(const TTickTimer& Timer) {
  const int32_t now = CurrentTicks();
  if (now > Timer.ExpireTicks) return true;
  if (now >= Timer.StartTicks) return false;
  // The tick count wrapped since the start: count on from where it wrapped, so that a timer
  // crossing the wrap expires after its interval rather than half a tick range later.
  return static_cast<int64_t>(now) + kTickRange > Timer.ExpireTicks;
}

uint32_t TickTimerMsLeft(const TTickTimer& Timer) {
  if (TickTimerExpired(Timer)) return 0;
  const uint32_t ms = MsClock();
  const int32_t now = static_cast<int32_t>(ms / kMsPerTick);
  if (now < Timer.StartTicks) return kMsPerTick;
  // Expiry means the tick count has passed ExpireTicks: the first millisecond of the tick
  // after it.
  const int64_t ticks = static_cast<int64_t>(Timer.ExpireTicks) + 1 - now;
  return static_cast<uint32_t>(std::min<int64_t>(ticks * kMsPerTick - ms % kMsPerTick, 0x7FFFFFFF));
}

uint32_t PumpOneMessage() {
  if (apd::gui::QuitRequested()) return kQuitMessage;
  return apd::gui::PumpMessages() ? 1u : 0u;
}

uint32_t WaitTicks(int32_t Ticks, bool Yield) {
  if (Ticks < 1) return 0;
  TTickTimer timer;
  StartTickTimer(timer, std::min(Ticks, MaxTicks));
  uint32_t result = 0;
  for (;;) {
    if (Yield) {
      result = PumpOneMessage();
      if (result == kQuitMessage) break;
    }
    if (TickTimerExpired(timer)) break;
    // Nothing to do until the next message or tick: give the processor away briefly
    // instead of spinning on the clock.
    if (result == 0) os::Sleep(1);
  }
  return result;
}
