#include "gauges/AbPaced.h"

#include "platform/os/Clock.h"
#include "platform/ui/Timer.h"

TAbPacedCall::TAbPacedCall(unsigned paceMs, std::function<void()> action)
    : pace_(paceMs), action_(std::move(action)), timer_(std::make_unique<TTimer>(nullptr)) {
  timer_->SetEnabled(false);
  timer_->SetInterval(pace_ > 0 ? pace_ : 1);
  timer_->OnTimer = [this](TObject*) { Flush(); };
}

TAbPacedCall::~TAbPacedCall() { timer_->OnTimer = nullptr; }

void TAbPacedCall::Request() {
  const std::uint64_t now = os::MonotonicMilliseconds();
  const bool newSlot = pace_ == 0 || now / pace_ != last_ / pace_;
  if (!ran_ || (newSlot && now - last_ >= pace_ / 2)) {
    Run();
    return;
  }
  pending_ = true;
  // Started afresh by every waiting request, so it fires only once the requests stop.
  timer_->SetEnabled(false);
  timer_->SetEnabled(true);
}

void TAbPacedCall::Cancel() {
  pending_ = false;
  timer_->SetEnabled(false);
}

void TAbPacedCall::Flush() {
  if (pending_) Run();
  else timer_->SetEnabled(false);
}

void TAbPacedCall::Run() {
  timer_->SetEnabled(false);
  pending_ = false;
  ran_ = true;
  last_ = os::MonotonicMilliseconds();
  if (action_) action_();
}
