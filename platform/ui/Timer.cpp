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
    // The owner is going (its destruction pumps messages while the port closes, say):
    // the timer stops here, before its handler could reach a form only partly there.
    if (InDestruction()) {
      impl_->timer.stop();
      return;
    }
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

void TTimer::BeforeDestruction() {
  TComponent::BeforeDestruction();
  impl_->timer.stop();
}

void TTimer::Tick() {
  if (OnTimer && !InDestruction()) OnTimer(this);
}

void TTimer::Update() {
  impl_->timer.stop();
  // A timer being read from a form resource starts once the whole form is read; one
  // whose owner is going starts no more.
  if (enabled_ && interval_ > 0 && !HasState(csLoading) && !InDestruction())
    impl_->timer.start(static_cast<int>(interval_));
}
