#include "platform/os/Thread.h"

#include <sched.h>

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
  thread_ = std::thread([this, body = std::move(body)] {
    try {
      body(*this);
    } catch (...) {
      failure_ = std::current_exception();
    }
    finished_.Set();
  });
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
