#pragma once
// TTimer: fires OnTimer every Interval milliseconds on the GUI thread while Enabled and
// until it or its owner begins to be destroyed.
#include <memory>
#include "platform/classes/Classes.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  const char* ClassName() const override { return "TTimer"; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  // 0 stops the timer; a new interval restarts the count.
  void SetInterval(unsigned ms);
  TNotifyEvent OnTimer;

  // Fires OnTimer as a tick does (tests drive timers by hand). A timer whose owner (or
  // the timer itself) has begun to be destroyed stops and fires no more.
  void Tick();
  void Loaded() override;
  void BeforeDestruction() override;

 private:
  void Update();
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
};
