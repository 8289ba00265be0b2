#include "serial/AwGui.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ui/Application.h"
#include "platform/ui/MessageQueue.h"

namespace apd::gui {
namespace {

// One call handed to the GUI thread; shared by the sender and the queue so that an
// abandoned send leaves nothing dangling.
struct SentCall {
  enum State { kPending, kRunning, kDone, kAbandoned };
  std::function<void()> call;
  std::mutex mutex;
  std::condition_variable cv;
  State state = kPending;

  void Run() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (state != kPending) return;
      state = kRunning;
    }
    struct Finish {
      SentCall* self;
      ~Finish() {
        {
          std::lock_guard<std::mutex> lock(self->mutex);
          self->state = kDone;
        }
        // Told after the lock is let go: a sender woken while it is still held would only
        // run into it and sleep again.
        self->cv.notify_all();
      }
    } finish{this};
    call();
  }

  // A call the GUI thread has started is always waited for: the sender's objects must
  // outlive it.
  bool Wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex);
    if (timeoutMs >= 0 &&
        !cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return state == kDone; }) &&
        state == kPending) {
      state = kAbandoned;
      return false;
    }
    cv.wait(lock, [this] { return state == kDone; });
    return true;
  }
};

// The application's message loop.
class ApplicationBridge final : public GuiBridge {
 public:
  bool IsGuiThread() const override { return ui::IsGuiThread(); }

  void Post(std::function<void()> Call) override { ui::RunOnGuiThread(std::move(Call)); }

  bool Send(std::function<void()> Call, int TimeoutMs) override {
    if (IsGuiThread()) {
      Call();
      return true;
    }
    auto sent = std::make_shared<SentCall>();
    sent->call = std::move(Call);
    ui::RunOnGuiThread([sent] { sent->Run(); });
    return sent->Wait(TimeoutMs);
  }

  bool PumpMessages() override {
    if (Application == nullptr) return false;
    Application->ProcessMessages();
    return false;  // the loop does not say whether it had anything to do
  }

  bool QuitRequested() const override { return Application != nullptr && Application->Terminated(); }
};

ApplicationBridge& DefaultBridge() {
  static ApplicationBridge bridge;
  return bridge;
}

std::atomic<GuiBridge*> g_bridge{nullptr};

}  // namespace

void SetBridge(GuiBridge* Bridge) { g_bridge.store(Bridge); }

GuiBridge& Bridge() {
  GuiBridge* bridge = g_bridge.load();
  return bridge != nullptr ? *bridge : DefaultBridge();
}

void EnsureGui() {
  if (g_bridge.load() == nullptr && Application != nullptr) Application->Initialize();
}

void PumpUntil(const std::function<bool()>& Done) {
  while (!Done()) {
    if (!PumpMessages()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace apd::gui
