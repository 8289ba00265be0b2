#include "platform/ui/Timer.h"

#include <QTimer>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

struct TTimer::Impl {
  QTimer timer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  gfx::EnsureGuiApplication();
  impl_ = std::make_unique<Impl>();
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
    // Handler exceptions end in the exception box, as for any event.
    try {
      Tick();
    } catch (const EUnscriptedDialog&) {
      ui::DialogService::RecordFailure(std::current_exception());
    } catch (...) {
      try {
        Application->HandleException(this, std::current_exception());
      } catch (...) {
        ui::DialogService::RecordFailure(std::current_exception());
      }
    }
  });
  Update();
}

TTimer::~TTimer() { impl_->timer.stop(); }

void TTimer::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(unsigned ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  Update();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  Update();
}

void TTimer::Tick() {
  if (OnTimer) OnTimer(this);
}

void TTimer::Update() {
  impl_->timer.stop();
  // A timer being read from a form resource starts once the whole form is read.
  if (enabled_ && interval_ > 0 && !HasState(csLoading)) impl_->timer.start(static_cast<int>(interval_));
}
