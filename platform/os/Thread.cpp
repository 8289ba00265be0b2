#include "platform/os/Thread.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/rtl/SysUtils.h"

namespace os {

Thread::Thread() = default;

Thread::~Thread() {
  Terminate();
  Join();
}

void Thread::Start(Body body) {
  if (thread_.joinable()) throw EInvalidOperation("Thread already started");
  terminated_.store(false);
  finished_.Reset();
  failure_ = nullptr;
  started_.Reset();
  thread_ = std::thread([this, body = std::move(body)] {
    {
      std::lock_guard lock(id_mutex_);
      system_id_ = static_cast<int>(gettid());
      errno = 0;
      const int nice = getpriority(PRIO_PROCESS, 0);  // this thread's own value
      start_nice_ = errno == 0 ? nice : 0;
    }
    started_.Set();
    try {
      body(*this);
    } catch (...) {
      failure_ = std::current_exception();
    }
    {
      std::lock_guard lock(id_mutex_);
      system_id_ = 0;
    }
    finished_.Set();
  });
  started_.WaitFor(kInfinite);
}

int Thread::SystemId() const {
  std::lock_guard lock(id_mutex_);
  return system_id_;
}

int Thread::SetPriority(int Steps) {
  std::lock_guard lock(id_mutex_);
  if (system_id_ == 0) return ESRCH;
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(system_id_), NiceForPriority(start_nice_, Steps)) == 0) return 0;
  return errno;
}

int NiceForPriority(int StartNice, int Steps) {
  constexpr int kStepNice = 5;
  constexpr int kHighestNice = -20;
  constexpr int kLowestNice = 19;
  if (Steps >= 15) return kHighestNice;
  if (Steps <= -15) return kLowestNice;
  const int steps = std::clamp(Steps, -2, 2);
  return std::clamp(StartNice - steps * kStepNice, kHighestNice, kLowestNice);
}

void Thread::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool YieldOnWake() {
  // The batch policy keeps the thread's normal priority and only leaves out wake-up
  // preemption; any thread may choose it for itself.
  sched_param param{};
  param.sched_priority = 0;
  return sched_setscheduler(0, SCHED_BATCH, &param) == 0;
}

}  // namespace os
