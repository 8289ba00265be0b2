#pragma once
// A worker thread that is asked to stop rather than killed: the body polls Terminated()
// (or waits on an event the owner sets together with Terminate()) and returns.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
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

  // Runs `body` on a new thread. Raises EInvalidOperation while a previous body is unjoined.
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

 private:
  std::thread thread_;
  std::atomic<bool> terminated_{false};
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

}  // namespace os
