#include "platform/stdctrls/Beep.h"

#include <QApplication>

#include "platform/graphics/detail/QtGraphics.h"

namespace {
ui::BeepSink& Sink() {
  static ui::BeepSink sink;
  return sink;
}
}  // namespace

bool MessageBeep(unsigned uType) {
  if (Sink()) {
    Sink()(uType);
  } else {
    gfx::EnsureGuiApplication();
    QApplication::beep();
  }
  return true;
}

namespace ui {

BeepSink SetBeepSink(BeepSink sink) {
  BeepSink old = std::move(Sink());
  Sink() = std::move(sink);
  return old;
}

BeepCounter::BeepCounter() {
  previous_ = SetBeepSink([this](unsigned t) {
    ++count_;
    last_ = t;
  });
}

BeepCounter::~BeepCounter() { SetBeepSink(std::move(previous_)); }

}  // namespace ui
