#pragma once
// The one application-wide gauge timer. Every 16 ms it walks its client list and sends
// each due client the gauge message (WM_FLASH) at once, in list order: blink clients
// (modes 2..6) when their blink state flips, one-second clients (mode 32) once a second,
// and interval clients (any other mode, in milliseconds) when their interval is up, with
// their lateness. Controls register with AddFlashClient and leave with RemoveFlashClient;
// the timer comes into being with the first registration and ticks only while a client
// needs it: a blink client only while its control is on the screen (a hidden gauge keeps
// its registration and wakes the timer when it is shown), any other client always.
//
// The tick is a single-shot GUI-thread timer started again after each pass, so a slow
// pass delays the next tick instead of piling ticks up. Between passes it sleeps until
// the next thing is due (a blink's flip, an interval client's time, the next second), so a
// recording trend wakes it twice a second rather than every 16 ms; the tick counter
// counts 16 ms steps of the clock, also those it slept through. Time is read from the monotonic
// clock (os::GetTickCount), so tests drive it with a manual clock and a wall clock set
// back does not stop the one-second tick.
#include <cstdint>
#include <memory>
#include "gauges/_GClass.h"
#include "platform/ui/Timer.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
enum TFlashFreq { ff8Hz, ff4Hz, ff2Hz, ff1Hz, ff05Hz };

// A component that runs OnTimer on the GUI thread every Interval ms while Enabled.
class TAbFlash : public TComponent {
 public:
  explicit TAbFlash(TComponent* AOwner);
  ~TAbFlash() override;
  const char* ClassName() const override { return "TAbFlash"; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int Interval() const { return interval_; }
  void SetInterval(int v);
  TThreadPriority ThreadPriority() const { return priority_; }
  // Kept for the resources; the tick runs on the GUI thread whatever the priority.
  void SetThreadPriority(TThreadPriority v);
  const TNotifyEvent& OnTimer() const { return on_timer_; }
  void SetOnTimer(TNotifyEvent v);
  // Runs one tick now (the timer's own tick calls it; tests may too).
  virtual void Timer();
  // Whether the tick is scheduled.
  bool Running() const;
  // The ticks from now on come `ms` apart instead of Interval (0: Interval again); the
  // count starts afresh when it changes.
  void SetNextDelay(int ms);
  int NextDelay() const { return delay_ > 0 ? delay_ : interval_; }

 private:
  void UpdateThread();
  bool enabled_ = true;
  int interval_ = 16;
  int delay_ = 0;
  TThreadPriority priority_ = tpNormal;
  TNotifyEvent on_timer_;
  std::unique_ptr<TTimer> timer_;
};

// The dispatcher; one per application.
class TAbFlashTimer : public TAbFlash {
 public:
  explicit TAbFlashTimer(TComponent* AOwner);
  ~TAbFlashTimer() override;
  const char* ClassName() const override { return "TAbFlashTimer"; }
  static int InstanceCount();
};

// A nil control is ignored; a control registered again gets the new mode and a new due time.
void AddFlashClient(TControl* Control, int64_t Mode);
void RemoveFlashClient(TControl* Control);

namespace abflash {
// The dispatcher, or nullptr before the first client registers.
TAbFlashTimer* FlashTimer();
// The tick counter (the WParam of every message).
uint32_t FlashCounter();
void SetFlashCounter(uint32_t v);
// One pass over the clients, as the timer runs it; afterwards the timer stops when no
// client needs it any more.
void FlashTimerTick();
// A display redrawn at a steady pace (the live data's) lends its passes to the blinks:
// called in each pass, it flips at once every blink on the screen whose flip is due by
// the middle of the next pace, so that the gauge repaints with that display rather than on
// a wake-up of its own, and keeps the timer from waking for those blinks while the passes
// go on (a flip then comes a whole number of paces after the last). Blinks quicker than
// the pace stay with the timer, and the timer takes a blink back once no pass has come for
// two paces.
void PacedPass(unsigned paceMs);
// A control came onto the screen: when it is a client, the timer runs again if it needs to.
void ClientShown(TControl* Control);
int ClientCount();
bool IsClient(const TControl* Control);
// Frees the dispatcher and forgets every client (application end; tests).
void Reset();
}  // namespace abflash
