#pragma once
// A worker thread that is asked to stop rather than killed: the body polls Terminated()
// (or waits on an event the owner sets together with Terminate()) and returns.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/os/Event.h"

namespace os {

class Thread {
 public:
  using Body = std::function<void(Thread& self)>;

  Thread();
  // Asks a running body to stop and waits for it.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Runs `body` on a new thread; returns once the thread is there (SystemId is known).
  // Raises EInvalidOperation while a previous body is unjoined.
  void Start(Body body);
  // Sets the stop flag; the body sees it through Terminated().
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  // Whether the body has returned.
  bool Finished() const { return finished_.IsSet(); }
  // Waits for the body to return; false when `timeoutMs` passed first. Lets an owner keep
  // its own work (such as handling messages) going between short waits.
  bool WaitFor(std::uint32_t timeoutMs) const { return finished_.WaitFor(timeoutMs); }
  // Waits for the body to return and releases the thread. Harmless when not started.
  void Join();
  // An exception that escaped the body (it ends the thread, not the process); null if none.
  // Read it after Join.
  std::exception_ptr Failure() const { return failure_; }

  // The system's id of the thread while its body runs (the id /proc/self/task lists); 0
  // before the start and once the body has returned.
  int SystemId() const;
  // Gives the running thread the priority `Steps` (see NiceForPriority) relative to the one
  // it started with. 0 when done, else the system's error number, and the thread keeps the
  // priority it has: the system refuses a higher priority to a process without the right
  // to raise one, while a lower one is always allowed. ESRCH when the body is not running.
  int SetPriority(int Steps);

 private:
  std::thread thread_;
  // Guards the ids below: the body's thread clears them before it ends, so a priority is
  // never set on an id the system may already have given to another thread.
  mutable std::mutex id_mutex_;
  int system_id_ = 0;
  int start_nice_ = 0;
  std::atomic<bool> terminated_{false};
  Event started_{EventReset::Manual};
  Event finished_{EventReset::Manual};
  std::exception_ptr failure_;
};

// Marks the calling thread as one whose wake-ups never push a running thread aside: it
// still gets its full share of the processor, but when it is woken (input arrived, a call
// it waited for returned) it runs once the thread that woke it waits or its time is up,
// instead of cutting in. For the serial line's threads, whose input waits in the device's
// buffer meanwhile, so that the window's thread is not interrupted for every packet.
// False when the system refuses it; the thread then goes on as before.
bool YieldOnWake();

// The nice value for a thread priority given in the steps of the program's settings, counted
// from normal (0): 1 above normal, 2 highest, 15 and more time-critical; -1 below normal,
// -2 lowest, -15 and less idle. Steps between 3 and 14 count as highest and those between
// -14 and -3 as lowest, since nothing lies between those levels. Each of the first two
// steps moves the thread 5 nice values from `StartNice` (the value it started with, normally
// the process's), which under the fair scheduler is about three times the share of the
// processor per step; time-critical takes the lowest nice value (-20) and idle the highest
// (19). The result always lies within -20..19. The nice value applies to both the normal
// and the yield-on-wake policy.
int NiceForPriority(int StartNice, int Steps);

}  // namespace os
