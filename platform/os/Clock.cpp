#include "platform/os/Clock.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace os {
namespace {
const SystemClock kSystemClock;
std::atomic<const Clock*> g_clock{&kSystemClock};
}  // namespace

std::uint64_t SystemClock::Milliseconds() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

void SetClock(const Clock* clock) { g_clock.store(clock ? clock : &kSystemClock); }

ScopedClock::ScopedClock(const Clock& clock) : previous_(g_clock.exchange(&clock)) {}
ScopedClock::~ScopedClock() { g_clock.store(previous_); }

bool SystemClockInstalled() { return g_clock.load() == &kSystemClock; }

std::uint64_t MonotonicMilliseconds() { return g_clock.load()->Milliseconds(); }
std::uint32_t TimeGetTime() { return static_cast<std::uint32_t>(MonotonicMilliseconds()); }
std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(MonotonicMilliseconds()); }

void Sleep(std::uint32_t ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace os
