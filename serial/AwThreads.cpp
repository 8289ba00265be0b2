// The dispatcher's event, dispatch and writer threads, and the close sequence.
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/os/Clock.h"
#include "platform/rtl/Numbers.h"

#include "serial/AwGui.h"
#include "serial/AwUser.h"

namespace {
// Waits for a thread to end; on the GUI thread messages are handled meanwhile, since the
// dispatch thread may be waiting for the GUI thread to run a trigger event.
void AwaitThread(os::Thread& thread) {
  if (apd::gui::IsGuiThread()) {
    apd::gui::PumpUntil([&] { return thread.WaitFor(5); });
  } else {
    thread.WaitFor(os::kInfinite);
  }
  thread.Join();
}
}  // namespace

bool TApdBaseDispatcher::OnDispatchThread() const {
  return dispatch_thread_id_.load() == std::this_thread::get_id();
}

void TApdBaseDispatcher::StartThreads() {
  os::CriticalSection::Guard lock(general_);
  if (threads_started_.load()) throw Exception("Dispatcher already started");
  threads_started_.store(true);
  kill_flag_.store(false);
  close_pending_.store(false);
  ready_.Reset();
  event_thread_ = std::make_unique<os::Thread>();
  running_count_.fetch_add(1);
  event_thread_->Start([this](os::Thread& self) { EventThreadBody(self); });
  ready_.WaitFor(3000);
  dispatch_thread_ = std::make_unique<os::Thread>();
  running_count_.fetch_add(1);
  dispatch_thread_->Start([this](os::Thread& self) { DispatchThreadBody(self); });
  ready_.WaitFor(3000);
  writer_thread_ = std::make_unique<os::Thread>();
  running_count_.fetch_add(1);
  writer_thread_->Start([this](os::Thread& self) { WriterThreadBody(self); });
  ready_.WaitFor(3000);
  if (thread_boost_ != 0 || writer_raised_) ApplyThreadPriorities();
}

void TApdBaseDispatcher::SetThreadBoost(int Boost) {
  os::CriticalSection::Guard lock(general_);
  thread_boost_ = Boost;
  ApplyThreadPriorities();
}

int TApdBaseDispatcher::ThreadBoost() const {
  os::CriticalSection::Guard lock(general_);
  return thread_boost_;
}

void TApdBaseDispatcher::SetWriterRaised(bool Raised) {
  os::CriticalSection::Guard lock(general_);
  if (Raised == writer_raised_) return;
  writer_raised_ = Raised;
  ApplyThreadPriorities();
}

AnsiString TApdBaseDispatcher::PriorityRefusal() const {
  os::CriticalSection::Guard lock(general_);
  return priority_refusal_;
}

std::array<int, 3> TApdBaseDispatcher::ThreadSystemIds() const {
  os::CriticalSection::Guard lock(general_);
  const auto id = [](const std::unique_ptr<os::Thread>& t) { return t ? t->SystemId() : 0; };
  return {id(event_thread_), id(dispatch_thread_), id(writer_thread_)};
}

void TApdBaseDispatcher::ApplyThreadPriorities() {
  const struct {
    os::Thread* thread;
    int steps;
  } wanted[] = {
      {event_thread_.get(), thread_boost_},
      {dispatch_thread_.get(), thread_boost_},
      {writer_thread_.get(), writer_raised_ ? thread_boost_ + 1 : 0},
  };
  for (const auto& w : wanted) {
    if (w.thread == nullptr) continue;
    const int error = w.thread->SetPriority(w.steps);
    // ESRCH: the thread is ending on its own (a close from inside an event).
    if (error == 0 || error == ESRCH || !priority_refusal_.empty()) continue;
    priority_refusal_ = "The system refused the line's threads priority " + IntToStr(w.steps) + " (" +
                        std::strerror(error) + "); they keep the priority they have";
  }
}

void TApdBaseDispatcher::RequestThreadsEnd() {
  kill_flag_.store(true);
  writer_stop_.Set();
  CancelDeviceWait();
  event_handled_.Set();
  dispatch_wake_.Set();
}

void TApdBaseDispatcher::StopThreads() {
  if (!threads_started_.load()) return;
  RequestThreadsEnd();
  if (writer_thread_) AwaitThread(*writer_thread_);
  if (event_thread_) AwaitThread(*event_thread_);
  if (dispatch_thread_) AwaitThread(*dispatch_thread_);
  os::CriticalSection::Guard lock(general_);
  writer_thread_.reset();
  event_thread_.reset();
  dispatch_thread_.reset();
  threads_started_.store(false);
}

void TApdBaseDispatcher::ThreadEnded() {
  // Logged first: once the count reaches 0 the dispatcher may go away.
  log_.Add(apd::dtThread, apd::dstThreadExit, static_cast<uint32_t>(running_count_.load() - 1));
  running_count_.fetch_sub(1);
}

void TApdBaseDispatcher::EventThreadBody(os::Thread&) {
  struct CountOut {
    TApdBaseDispatcher* d;
    ~CountOut() { d->ThreadEnded(); }
  } countOut{this};
  log_.Add(apd::dtThread, apd::dstThreadStart, 1);
  // The line's input waits in the device meanwhile: the window's thread is not
  // interrupted each time this thread or the dispatch thread is woken.
  os::YieldOnWake();
  ready_.Set();
  while (!kill_flag_.load()) {
    const bool input = WaitDeviceInput(!line_lost_.load());
    if (kill_flag_.load()) break;
    if (!input) {
      // A failed wait (or a lost line) must not spin; the dispatch thread's 50 ms round keeps
      // the triggers going meanwhile.
      os::Sleep(20);
      continue;
    }
    device_event_.Set();
    event_handled_.WaitFor(os::kInfinite);
    if (kill_flag_.load()) break;
    // With the input ring full the device stays readable; give the clients time to take
    // bytes instead of waking the dispatch thread in a tight loop.
    if (InBuffFree() == 0) os::Sleep(20);
  }
  ready_.Set();
}

void TApdBaseDispatcher::DispatchThreadBody(os::Thread&) {
  struct CountOut {
    TApdBaseDispatcher* d;
    ~CountOut() { d->ThreadEnded(); }
  } countOut{this};
  log_.Add(apd::dtThread, apd::dstThreadStart, 2);
  os::YieldOnWake();
  dispatch_thread_id_.store(std::this_thread::get_id());
  ready_.Set();
  while (!kill_flag_.load() && !close_pending_.load()) {
    // Between device events the thread sleeps until the next timer trigger is due (or a
    // trigger change asks for it), not on a fixed beat: an open port with nothing arriving
    // costs no wake-ups of its own.
    const bool event = os::WaitForAny({&device_event_, &dispatch_wake_}, NextRoundWait()) == 0;
    if (kill_flag_.load() || close_pending_.load()) break;
    try {
      DispatchRound();
    } catch (...) {
      // Nothing may end the dispatch thread but a close.
    }
    if (event) event_handled_.Set();
  }
  event_handled_.Set();
  dispatch_thread_id_.store(std::thread::id());
  ready_.Set();
}

void TApdBaseDispatcher::DispatchRound() {
  const auto statusRound = [this] {
    if (in_notice_.load()) return;
    while (!close_pending_.load() && FireStatusTrigger()) {
    }
  };
  if (!line_lost_.load()) {
    UpdateModemStatus();
    UpdateLineStatus();
  }
  statusRound();

  // Read what the device holds into the input ring.
  uint8_t chunk[1024];
  while (!line_lost_.load()) {
    const int room = InBuffFree();
    if (room <= 0) break;
    const int n = DeviceRead(chunk, std::min<int>(room, static_cast<int>(sizeof chunk)));
    if (n < 0) {
      line_lost_.store(true);
      break;
    }
    if (n == 0) break;
    trace_.Add('R', chunk, n);
    log_.Add(apd::dtDispatch, apd::dstReadCom, static_cast<uint32_t>(n), chunk, static_cast<uint32_t>(n));
    StoreInput(chunk, n);
  }
  if (!in_notice_.load()) {
    statusRound();
    for (int round = 0; round < 16 && !close_pending_.load(); ++round) {
      if (!FireDataTriggers()) break;
      if (InBuffUsed() == 0) break;
    }
  }
  ClearStatusFiredMarks();

  // Timer triggers (and status triggers freed by what the timers' clients did).
  while (!close_pending_.load() && !in_notice_.load()) {
    const bool status = FireStatusTrigger();
    const bool timer = FireTimerTrigger();
    if (!status && !timer) break;
  }
  ClearStatusFiredMarks();
}

void TApdBaseDispatcher::WriterThreadBody(os::Thread&) {
  struct CountOut {
    TApdBaseDispatcher* d;
    ~CountOut() { d->ThreadEnded(); }
  } countOut{this};
  log_.Add(apd::dtThread, apd::dstThreadStart, 3);
  ready_.Set();
  while (!kill_flag_.load() && !close_pending_.load()) {
    const int which = os::WaitForAny({&output_ready_, &writer_stop_}, os::kInfinite);
    if (which == 0) {
      if (!kill_flag_.load() && WriteOut()) ready_.Set();
    } else {
      ready_.Set();
    }
  }
}

bool TApdBaseDispatcher::WriteOut() {
  for (;;) {
    if (kill_flag_.load()) return false;
    const uint8_t* data;
    int n;
    {
      os::CriticalSection::Guard lock(output_);
      if (OutBuffUsedLocked() == 0) return false;
      n = out_tail_ < out_head_ ? out_head_ - out_tail_ : out_size_ - out_tail_;
      data = &out_buf_[out_tail_];
    }
    // Written outside the section: producers only fill the free part of the ring, and a purge
    // first stops the writer.
    const int written = DeviceWrite(data, n);
    if (written < 0) {
      // The line is gone: what is queued can never be sent; later sends report the failure.
      line_lost_.store(true);
      os::CriticalSection::Guard lock(output_);
      out_head_ = out_tail_ = 0;
      out_full_ = false;
      return false;
    }
    if (written > 0) {
      trace_.Add('T', data, written);
      log_.Add(apd::dtDispatch, apd::dstWriteCom, static_cast<uint32_t>(written), data, static_cast<uint32_t>(written));
    }
    if (written == 0) {
      if (WaitDeviceWritable(writer_stop_, 100)) return true;
      continue;
    }
    os::CriticalSection::Guard lock(output_);
    out_tail_ = (out_tail_ + written) % out_size_;
    out_full_ = false;
    if (out_tail_ == out_head_) out_tail_ = out_head_ = 0;
  }
}

// ---------------------------------------------------------------- close

void TApdBaseDispatcher::DonePort() {
  if (!device_open_) return;
  PurgeBuffers(false);
  PurgeBuffers(true);
  if (OnDispatchThread() || (gui_calls_running_.load() > 0 && apd::gui::IsGuiThread())) {
    // Called from inside a trigger or packet event: the dispatch thread waits for this very
    // call to return. Ask the threads to end and let the port finish the close once they have.
    close_pending_.store(true);
    RequestThreadsEnd();
    return;
  }
  FinishClose();
}

void TApdBaseDispatcher::FinishClose() {
  StopThreads();
  if (device_open_) CloseDevice();
  device_open_ = false;
  ReleaseBuffers();
  close_pending_.store(false);
}
