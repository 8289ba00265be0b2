#pragma once
// Hand-over from the serial threads to the GUI thread. The port's trigger events and the
// packet events run on the GUI thread while the serial thread that raised them waits.
//
// By default the calls go through the application's message loop (the platform's GUI
// thread); another GuiBridge can be installed in its place.
#include <functional>

namespace apd::gui {

class GuiBridge {
 public:
  virtual ~GuiBridge() = default;
  virtual bool IsGuiThread() const = 0;
  // Queues Call to run on the GUI thread; returns at once.
  virtual void Post(std::function<void()> Call) = 0;
  // Runs Call on the GUI thread and waits for it, at most TimeoutMs (< 0: without limit).
  // A call the GUI thread has not started within the limit is abandoned and never runs; one
  // already running is waited for, so nothing it touches goes away under it. Returns false
  // when abandoned. Called on the GUI thread itself, Call runs at once.
  virtual bool Send(std::function<void()> Call, int TimeoutMs) = 0;
  // Handles the GUI thread's pending messages once; true when anything was handled.
  virtual bool PumpMessages() = 0;
  // True once the application has been asked to quit.
  virtual bool QuitRequested() const = 0;
};

// Installs a bridge; nullptr restores the application's. The caller keeps the bridge alive
// while it is installed.
void SetBridge(GuiBridge* Bridge);
GuiBridge& Bridge();

// Makes sure the application's message loop exists; its thread is the GUI thread. Ports call
// this when they are created.
void EnsureGui();

inline bool IsGuiThread() { return Bridge().IsGuiThread(); }
inline void Post(std::function<void()> Call) { Bridge().Post(std::move(Call)); }
inline bool Send(std::function<void()> Call, int TimeoutMs) { return Bridge().Send(std::move(Call), TimeoutMs); }
inline bool PumpMessages() { return Bridge().PumpMessages(); }
inline bool QuitRequested() { return Bridge().QuitRequested(); }

// Pumps messages until Done() holds; used where the GUI thread waits for serial threads that
// may themselves be waiting for the GUI thread.
void PumpUntil(const std::function<bool()>& Done);

}  // namespace apd::gui
