#include "platform/os/Event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/os/Clock.h"
#include "platform/rtl/SysUtils.h"

namespace os {
namespace {

[[noreturn]] void RaiseOSError(const char* what) {
  const int err = errno;
  throw EOSError(AnsiString(what) + ": " + std::strerror(err));
}

// Polls `fds` for at most `timeoutMs`, restarting after signals. Time is taken from the real
// monotonic clock, not the installed one: a test's ManualClock must not stretch real waits.
int PollFor(std::vector<pollfd>& fds, std::uint32_t timeoutMs) {
  const SystemClock clock;
  const std::uint64_t deadline = clock.Milliseconds() + timeoutMs;
  for (;;) {
    int slice = -1;
    if (timeoutMs != kInfinite) {
      const std::uint64_t now = clock.Milliseconds();
      const std::uint64_t left = now >= deadline ? 0 : deadline - now;
      slice = static_cast<int>(std::min<std::uint64_t>(left, 0x7FFFFFFF));
    }
    const int n = poll(fds.data(), fds.size(), slice);
    if (n >= 0) return n;
    if (errno != EINTR) RaiseOSError("Wait failed");
  }
}

}  // namespace

Event::Event(EventReset reset, bool initiallySet)
    : fd_(eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK)), reset_(reset) {
  if (fd_ < 0) RaiseOSError("Cannot create event");
}

Event::~Event() { close(fd_); }

void Event::Set() {
  const std::uint64_t one = 1;
  // Only fails when the counter is about to overflow, i.e. the event is set anyway.
  [[maybe_unused]] const ssize_t n = write(fd_, &one, sizeof one);
}

void Event::Reset() {
  std::uint64_t value;
  [[maybe_unused]] const ssize_t n = read(fd_, &value, sizeof value);
}

bool Event::IsSet() const {
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
}

bool Event::WaitFor(std::uint32_t timeoutMs) const {
  return WaitForAny({this}, timeoutMs) == 0;
}

short Event::PollEvents() const { return POLLIN; }

bool Event::Acquire() const {
  if (reset_ == EventReset::Manual) return true;
  std::uint64_t value;
  return read(fd_, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

int WaitForAny(std::span<const Waitable* const> sources, std::uint32_t timeoutMs) {
  std::vector<pollfd> fds(sources.size());
  const SystemClock clock;
  const std::uint64_t deadline = clock.Milliseconds() + timeoutMs;
  for (;;) {
    for (std::size_t i = 0; i < sources.size(); ++i)
      fds[i] = pollfd{sources[i]->PollFd(), sources[i]->PollEvents(), 0};
    std::uint32_t left = kInfinite;
    if (timeoutMs != kInfinite) {
      const std::uint64_t now = clock.Milliseconds();
      left = static_cast<std::uint32_t>(now >= deadline ? 0 : deadline - now);
    }
    if (PollFor(fds, left) == 0) return kWaitTimeout;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (fds[i].revents & POLLNVAL) {
        errno = EBADF;
        RaiseOSError("Wait failed");
      }
      // POLLHUP and POLLERR count as signalled: the owner finds the broken line on its next
      // read instead of waiting forever on a source that can no longer become ready.
      if (fds[i].revents != 0 && sources[i]->Acquire()) return static_cast<int>(i);
    }
    // Every ready source was taken by another waiter in between: wait again for the rest.
  }
}

}  // namespace os
