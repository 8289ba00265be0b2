#include "platform/ui/MessageQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/detail/QtControls.h"

namespace {

std::mutex g_mutex;
std::deque<std::function<void()>> g_queue;
std::atomic<bool> g_wake_pending{false};
std::atomic<QObject*> g_dispatcher{nullptr};

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the GUI thread; a wake-up event makes it deliver the queue from whatever
// event loop is running (the application's, a modal dialog's, a ProcessMessages).
class Dispatcher : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == kWakeEvent) {
      g_wake_pending = false;
      ui::DeliverPosted();
      return true;
    }
    return QObject::event(e);
  }
};

void Wake() {
  QObject* d = g_dispatcher.load();
  if (d && !g_wake_pending.exchange(true)) QCoreApplication::postEvent(d, new QEvent(kWakeEvent));
}

// Shared between a waiting sender and the GUI thread, so that either side may finish
// last without the other's memory going away.
struct SendState {
  std::mutex m;
  std::condition_variable cv;
  bool started = false;
  bool done = false;
  bool abandoned = false;
  LRESULT result = 0;
};

bool SendAndWait(std::function<LRESULT()> fn, unsigned timeoutMs, LRESULT* result) {
  auto state = std::make_shared<SendState>();
  ui::RunOnGuiThread([state, fn = std::move(fn)] {
    {
      std::lock_guard lock(state->m);
      if (state->abandoned) return;
      state->started = true;
    }
    LRESULT r = 0;
    struct Finish {
      SendState& s;
      LRESULT& r;
      ~Finish() {
        {
          std::lock_guard lock(s.m);
          s.result = r;
          s.done = true;
        }
        s.cv.notify_all();
      }
    } finish{*state, r};
    r = fn();
  });
  std::unique_lock lock(state->m);
  if (!state->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state->done; })) {
    state->abandoned = true;
    return false;
  }
  if (result) *result = state->result;
  return true;
}

}  // namespace

namespace ui {

namespace detail {
void CreateDispatcher() {
  if (!g_dispatcher.load()) g_dispatcher = new Dispatcher;
  Wake();  // anything posted before the GUI existed
}
}  // namespace detail

bool IsGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

void RunOnGuiThread(std::function<void()> fn) {
  {
    std::lock_guard lock(g_mutex);
    g_queue.push_back(std::move(fn));
  }
  Wake();
}

void DeliverPosted() {
  if (!IsGuiThread()) return;
  // Only what is queued now: work that posts more work waits for the next round.
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(g_mutex);
    batch.swap(g_queue);
  }
  while (!batch.empty()) {
    std::function<void()> fn = std::move(batch.front());
    batch.pop_front();
    try {
      fn();
    } catch (const EUnscriptedDialog&) {
      DialogService::RecordFailure(std::current_exception());
    } catch (...) {
      try {
        Application->HandleException(nullptr, std::current_exception());
      } catch (...) {
        DialogService::RecordFailure(std::current_exception());
      }
    }
  }
}

bool SendToGuiThread(std::function<void()> fn, unsigned timeoutMs) {
  if (IsGuiThread()) {
    fn();
    return true;
  }
  return SendAndWait([fn = std::move(fn)] { fn(); return LRESULT(0); }, timeoutMs, nullptr);
}

}  // namespace ui

bool PostMessage(TControl* target, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!target) return false;
  const uint64_t serial = ui::detail::SerialOf(target);
  if (serial == 0) return false;
  // A control that has begun to be destroyed (or whose form has) takes no more messages.
  ui::RunOnGuiThread([=] {
    if (ui::detail::ControlAlive(target, serial) && !target->InDestruction()) target->Perform(Msg, WParam, LParam);
  });
  return true;
}

LRESULT SendMessage(TControl* target, UINT Msg, WPARAM WParam, LPARAM LParam) {
  LRESULT r = 0;
  SendMessageTimeout(target, Msg, WParam, LParam, ~0u, &r);
  return r;
}

bool SendMessageTimeout(TControl* target, UINT Msg, WPARAM WParam, LPARAM LParam, unsigned timeoutMs,
                        LRESULT* result) {
  if (!target) return false;
  if (ui::IsGuiThread()) {
    const LRESULT r = target->Perform(Msg, WParam, LParam);
    if (result) *result = r;
    return true;
  }
  // Only values travel: the GUI side may run after this thread stopped waiting.
  const uint64_t serial = ui::detail::SerialOf(target);
  if (serial == 0) return false;
  LRESULT r = 0;
  const bool answered = SendAndWait(
      [=]() -> LRESULT {
        if (!ui::detail::ControlAlive(target, serial) || target->InDestruction()) return 0;
        return target->Perform(Msg, WParam, LParam);
      },
      timeoutMs, &r);
  if (answered && result) *result = r;
  return answered;
}
