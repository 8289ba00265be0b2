#include "gauges/AbFlashT.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/os/Clock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace {

struct TFlashClient {
  TControl* Control;
  int64_t Mode;
  int64_t Due;
  bool LastState;
  // A blink taken over by a paced display's passes: until when they serve it (the timer
  // leaves it alone till then) and when its next flip is due under them.
  int64_t PacedUntil = 0;
  int64_t PacedDue = 0;
};

constexpr int64_t kOneSecondMode = 32;
constexpr int64_t kOneSecondMs = 1000;
constexpr int64_t kMaxLateness = 1000;

// Touched on the GUI thread only.
TAbFlashTimer* g_timer = nullptr;
uint32_t g_counter = 0;
int64_t g_last_pass = 0;  // clock time the counter was last brought up to
int64_t g_next_second = 0;
std::vector<std::unique_ptr<TFlashClient>> g_clients;
int g_instances = 0;

int64_t Ticks() { return static_cast<int64_t>(os::MonotonicMilliseconds()); }

bool ApplicationEnding() { return Application == nullptr || Application->HasState(csDestroying); }

void EnsureFlashTimer() {
  if (g_timer != nullptr) return;
  g_last_pass = Ticks();
  g_next_second = g_last_pass + kOneSecondMs;
  g_timer = new TAbFlashTimer(nullptr);
}

bool IsBlinkMode(int64_t Mode) { return Mode >= 2 && Mode <= 6; }

// Whether a client needs the ticks now. A blink only repaints its control, so a control
// that is not on the screen (its window hidden) has nothing to blink for; it wakes the
// timer again when it is shown. Interval and one-second clients (a spin button's repeat,
// a recording trend) count whether seen or not.
bool WantsTicks(const TFlashClient& c) { return !IsBlinkMode(c.Mode) || c.Control->Showing(); }

int64_t TickLength() { return g_timer != nullptr && g_timer->Interval() > 0 ? g_timer->Interval() : 16; }

bool Paced(const TFlashClient& c, int64_t now) { return c.PacedUntil > now; }

// When a blink of `mode` flips next: the counter's bit `mode` changes every 2^mode ticks.
int64_t NextFlip(int64_t mode) {
  const uint32_t next = ((g_counter >> mode) + 1u) << mode;
  return g_last_pass + static_cast<int64_t>(static_cast<uint32_t>(next - g_counter)) * TickLength();
}

// The dispatcher ticks only while some control needs it (a blinking gauge on the screen, a
// recording trend); otherwise the program has nothing to wake up for. Between passes it
// sleeps until the next thing due: a blink's flip, an interval client's time, the next
// second; nothing is sent in between, so nothing is lost by not waking. `fromNow` starts the
// wait afresh even when it is as long as the one running (a paced pass moves it on).
void RunFlashTimerForClients(bool fromNow = false) {
  if (g_timer == nullptr) return;
  bool wanted = false;
  int64_t due = INT64_MAX;
  const int64_t now = Ticks();
  for (const auto& c : g_clients) {
    if (!WantsTicks(*c)) continue;
    wanted = true;
    // A paced blink needs the timer only if the passes stop.
    const int64_t next = !IsBlinkMode(c->Mode)        ? (c->Mode == kOneSecondMode ? g_next_second : c->Due)
                         : Paced(*c, now) ? c->PacedUntil
                                          : NextFlip(c->Mode);
    due = std::min(due, next);
  }
  int delay = 0;
  if (wanted && g_timer->Interval() > 0) {
    // The window system's timer may fire a little early (a twentieth of its interval);
    // waking that much later rather than early saves a pass that finds nothing due yet.
    const int64_t wait = due - Ticks();
    if (wait > 0) delay = static_cast<int>(std::min<int64_t>(wait + wait / 20 + 1, 60 * kOneSecondMs));
  }
  if (fromNow) g_timer->SetEnabled(false);
  g_timer->SetNextDelay(delay);
  g_timer->SetEnabled(wanted);
}

void FreeFlashTimer() {
  delete g_timer;
  g_timer = nullptr;
}

}  // namespace

// --- TAbFlash ---------------------------------------------------------------------------

TAbFlash::TAbFlash(TComponent* AOwner) : TComponent(AOwner) {
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetEnabled(false);
  timer_->SetInterval(static_cast<unsigned>(interval_));
  timer_->OnTimer = [this](TObject*) {
    // One shot per pass: the next tick is counted from the end of this one.
    timer_->SetEnabled(false);
    Timer();
    UpdateThread();
  };
}

TAbFlash::~TAbFlash() {
  enabled_ = false;
  on_timer_ = nullptr;
  timer_->SetEnabled(false);
}

void TAbFlash::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateThread();
}

void TAbFlash::SetInterval(int v) {
  if (v == interval_ || v < 0) return;
  interval_ = v;
  UpdateThread();
}

void TAbFlash::SetThreadPriority(TThreadPriority v) {
  if (v == priority_) return;
  priority_ = v;
  UpdateThread();
}

void TAbFlash::SetOnTimer(TNotifyEvent v) {
  const bool was = static_cast<bool>(on_timer_);
  on_timer_ = std::move(v);
  if (was != static_cast<bool>(on_timer_)) UpdateThread();
}

bool TAbFlash::Running() const { return timer_->Enabled(); }

void TAbFlash::SetNextDelay(int ms) {
  ms = std::max(ms, 0);
  if (ms == delay_) return;
  delay_ = ms;
  UpdateThread();
}

void TAbFlash::UpdateThread() {
  timer_->SetEnabled(false);
  timer_->SetInterval(static_cast<unsigned>(NextDelay()));
  if (interval_ != 0 && enabled_ && on_timer_) timer_->SetEnabled(true);
}

void TAbFlash::Timer() {
  if (enabled_ && !HasState(csDestroying) && on_timer_) on_timer_(this);
}

// --- TAbFlashTimer ----------------------------------------------------------------------

TAbFlashTimer::TAbFlashTimer(TComponent* AOwner) : TAbFlash(AOwner) {
  ++g_instances;
  if (g_instances == 1)
    SetOnTimer([](TObject*) { abflash::FlashTimerTick(); });
  else
    Application->MessageBox("Only one TAbFlashTimer per Application!\rRemove it...", "Error Message", MB_OK);
}

TAbFlashTimer::~TAbFlashTimer() { --g_instances; }

int TAbFlashTimer::InstanceCount() { return g_instances; }

// --- clients ----------------------------------------------------------------------------

void AddFlashClient(TControl* Control, int64_t Mode) {
  if (Control == nullptr) return;
  const int64_t due = Ticks() + Mode;
  bool found = false;
  for (auto& c : g_clients)
    if (c->Control == Control) {
      c->Mode = Mode;
      c->Due = due;
      found = true;
    }
  if (!found) g_clients.push_back(std::make_unique<TFlashClient>(TFlashClient{Control, Mode, due, false}));
  if (!g_clients.empty()) EnsureFlashTimer();
  RunFlashTimerForClients();
}

void RemoveFlashClient(TControl* Control) {
  for (auto it = g_clients.begin(); it != g_clients.end(); ++it)
    if ((*it)->Control == Control) {
      g_clients.erase(it);
      break;
    }
  if (ApplicationEnding() && g_clients.empty()) FreeFlashTimer();
  RunFlashTimerForClients();
}

namespace abflash {

TAbFlashTimer* FlashTimer() { return g_timer; }
uint32_t FlashCounter() { return g_counter; }
void SetFlashCounter(uint32_t v) { g_counter = v; }
int ClientCount() { return static_cast<int>(g_clients.size()); }

bool IsClient(const TControl* Control) {
  for (auto& c : g_clients)
    if (c->Control == Control) return true;
  return false;
}

void Reset() {
  FreeFlashTimer();
  g_clients.clear();
  g_counter = 0;
}

void FlashTimerTick() {
  // The counter counts ticks of the clock, also those the timer slept through, so a blink
  // keeps its period however often the timer woke in between; a pass always counts one.
  const int64_t ticks = Ticks();
  const int64_t step = TickLength(), elapsed = ticks - g_last_pass;
  const int64_t steps = elapsed >= step ? elapsed / step : 1;
  g_last_pass = elapsed >= step ? g_last_pass + steps * step : ticks;
  g_counter = static_cast<uint32_t>(g_counter + static_cast<uint32_t>(steps));
  bool second = false;
  if (ticks >= g_next_second) {
    // After a long stall the next second is counted from now, not caught up tick by tick.
    g_next_second = ticks - g_next_second >= kOneSecondMs ? ticks + kOneSecondMs : g_next_second + kOneSecondMs;
    second = true;
  }
  const size_t n = g_clients.size();
  for (size_t i = 0; i < n; ++i) {
    if (ApplicationEnding() || i >= g_clients.size()) break;
    TFlashClient& c = *g_clients[i];
    LPARAM lparam = 0;
    if (IsBlinkMode(c.Mode)) {
      if (Paced(c, ticks)) continue;
      const bool state = ((g_counter >> c.Mode) & 1u) != 0;
      if (state == c.LastState) continue;
      c.LastState = state;
      lparam = state ? 1 : 0;
    } else if (c.Mode == kOneSecondMode) {
      if (!second) continue;
    } else {
      if (ticks < c.Due) continue;
      int64_t late = std::llabs(ticks - c.Due);
      if (late > kMaxLateness) late = 0;
      c.Due = ticks + c.Mode - late;
      lparam = static_cast<LPARAM>(late);
    }
    // The record may go away while the client handles the message; nothing of it is used after.
    c.Control->Perform(WM_FLASH, g_counter, lparam);
  }
  // A client hidden since the last pass no longer keeps the timer going.
  if (!ApplicationEnding()) RunFlashTimerForClients();
}

void PacedPass(unsigned paceMs) {
  if (paceMs == 0) return;
  const int64_t now = Ticks(), pace = paceMs;
  const size_t n = g_clients.size();
  for (size_t i = 0; i < n; ++i) {
    if (ApplicationEnding() || i >= g_clients.size()) break;
    TFlashClient& c = *g_clients[i];
    if (!IsBlinkMode(c.Mode) || !c.Control->Showing()) continue;
    const int64_t period = TickLength() << c.Mode;
    if (period < pace) continue;
    // Taken over now: its next flip is the one the timer would have made.
    if (!Paced(c, now)) c.PacedDue = NextFlip(c.Mode);
    // Passes come one pace apart; one that comes later than that still finds it paced.
    c.PacedUntil = now + 2 * pace;
    if (c.PacedDue > now + pace / 2) continue;
    c.PacedDue = now + period;
    c.LastState = !c.LastState;
    c.Control->Perform(WM_FLASH, g_counter, c.LastState ? 1 : 0);
  }
  if (!ApplicationEnding()) RunFlashTimerForClients(true);
}

void ClientShown(TControl* Control) {
  for (const auto& c : g_clients)
    if (c->Control == Control) {
      RunFlashTimerForClients();
      return;
    }
}

}  // namespace abflash
