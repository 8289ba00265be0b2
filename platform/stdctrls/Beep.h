#pragma once
// The message beep. Every beep goes to a sink: by default the window system's bell;
// tests install a counting sink to check that a beep happened.
#include <cstdint>
#include <functional>

constexpr unsigned MB_BEEP_OK = 0x0;  // the default sound (MB_OK)
constexpr unsigned MB_BEEP_SIMPLE = 0xFFFFFFFF;

bool MessageBeep(unsigned uType);

namespace ui {
using BeepSink = std::function<void(unsigned uType)>;
// Replaces the sink; returns the previous one. An empty sink restores the system bell.
BeepSink SetBeepSink(BeepSink sink);

// Counts beeps while it lives (and keeps them from sounding).
class BeepCounter {
 public:
  BeepCounter();
  ~BeepCounter();
  BeepCounter(const BeepCounter&) = delete;
  BeepCounter& operator=(const BeepCounter&) = delete;
  int Count() const { return count_; }
  unsigned LastType() const { return last_; }

 private:
  int count_ = 0;
  unsigned last_ = 0;
  BeepSink previous_;
};
}  // namespace ui
