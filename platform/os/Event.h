#pragma once
// Events and waiting on several sources at once. An Event is an eventfd, so one poll() can
// wait for events and serial devices together; WaitForAny reports which source fired first.
#include <cstdint>
#include <initializer_list>
#include <span>

namespace os {

// Wait without a time limit.
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// WaitForAny's result when the time limit passed with nothing signalled.
inline constexpr int kWaitTimeout = -1;

// Something WaitForAny can wait for: a file descriptor and the poll() condition on it.
class Waitable {
 public:
  virtual ~Waitable() = default;
  virtual int PollFd() const = 0;
  virtual short PollEvents() const = 0;
  // Called when poll() reported the source ready. An auto-reset event takes its signal here
  // and answers false when another waiter took it first; other sources answer true.
  virtual bool Acquire() const { return true; }
};

enum class EventReset {
  Automatic,  // a successful wait clears the event; one Set wakes one waiter
  Manual,     // stays set until Reset
};

class Event final : public Waitable {
 public:
  explicit Event(EventReset reset, bool initiallySet = false);
  ~Event() override;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // Whether the event is set, without taking the signal of an auto-reset event.
  bool IsSet() const;
  // Waits until set (taking the signal of an auto-reset event); false on timeout.
  bool WaitFor(std::uint32_t timeoutMs) const;

  EventReset ResetMode() const { return reset_; }
  int PollFd() const override { return fd_; }
  short PollEvents() const override;
  bool Acquire() const override;

 private:
  int fd_;
  EventReset reset_;
};

// Waits until one of `sources` is signalled or `timeoutMs` passed (kInfinite: no limit).
// Returns the index of the signalled source, the lowest index when several are; or
// kWaitTimeout. An auto-reset event is cleared by the wait that reports it.
// Raises EOSError when the system wait itself fails.
int WaitForAny(std::span<const Waitable* const> sources, std::uint32_t timeoutMs);
inline int WaitForAny(std::initializer_list<const Waitable*> sources, std::uint32_t timeoutMs) {
  return WaitForAny(std::span<const Waitable* const>(sources.begin(), sources.size()), timeoutMs);
}

}  // namespace os
