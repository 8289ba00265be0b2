#pragma once
// The monotonic millisecond clock. Serial timing (tick timers, packet timeouts, waits) is
// measured on it; tests put a ManualClock in place of the system clock so that timing logic
// runs without real waiting.
#include <atomic>
#include <cstdint>

namespace os {

// A source of monotonic milliseconds. Implementations must be safe to call from any thread.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t Milliseconds() const = 0;
};

// CLOCK_MONOTONIC in milliseconds: never jumps with the wall clock.
class SystemClock final : public Clock {
 public:
  std::uint64_t Milliseconds() const override;
};

// A clock that only moves when told to; for tests.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(std::uint64_t start = 0) : now_(start) {}
  std::uint64_t Milliseconds() const override { return now_.load(); }
  void Set(std::uint64_t ms) { now_.store(ms); }
  void Advance(std::uint64_t ms) { now_.fetch_add(ms); }

 private:
  std::atomic<std::uint64_t> now_;
};

// Replaces the clock behind MonotonicMilliseconds/TimeGetTime/GetTickCount; nullptr restores
// the system clock. The caller keeps `clock` alive while it is installed.
void SetClock(const Clock* clock);

// Installs a clock for the lifetime of the guard and restores the previous one afterwards.
class ScopedClock {
 public:
  explicit ScopedClock(const Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  const Clock* previous_;
};

// True while the system clock is installed (no test clock stands in for it), so that a
// wait for a moment on the clock can be a real wait.
bool SystemClockInstalled();

// Milliseconds of the installed clock, full width.
std::uint64_t MonotonicMilliseconds();
// The same value cut to 32 bits; it wraps to 0 after about 49.7 days, as callers that
// compare 32-bit millisecond counts expect.
std::uint32_t TimeGetTime();
std::uint32_t GetTickCount();

// Suspends the calling thread; Sleep(0) only gives up the rest of the time slice.
// Always real time, whatever clock is installed.
void Sleep(std::uint32_t ms);

}  // namespace os
