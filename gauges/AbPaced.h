#pragma once
// An action that runs at most once per pace: a display fed by a fast stream (live data,
// a recording trend) redraws at a rate the eye can follow instead of once per value, and
// the last request always lands.
//
// Time is cut into slots one pace long, counted from the clock's zero, so that every paced
// call shares its slot boundaries with the others of the same or a multiple pace. A request
// runs the action at once when it is the first in a new slot and the last run is at least
// half a pace ago; the dashboards (a fifth of a second) and the trend (two fifths) fed by
// the same packets thus run on the same packet and reach the screen in one repaint. A
// request that comes otherwise waits: the next request that may run runs it, or, when none
// comes, a timer one pace after the last waiting request. While requests keep coming faster
// than the pace the timer never fires, so pacing costs the program no wake-ups of its own.
#include <cstdint>
#include <functional>
#include <memory>

class TTimer;

class TAbPacedCall {
 public:
  TAbPacedCall(unsigned paceMs, std::function<void()> action);
  ~TAbPacedCall();
  TAbPacedCall(const TAbPacedCall&) = delete;
  TAbPacedCall& operator=(const TAbPacedCall&) = delete;

  void Request();
  // Forgets a waiting request (what it would have shown is no longer wanted).
  void Cancel();
  // Runs a waiting request now.
  void Flush();
  // Runs the action now, waiting or not (a request that is not to wait).
  void RunNow() { Run(); }
  bool Pending() const { return pending_; }
  unsigned Pace() const { return pace_; }

 private:
  void Run();
  unsigned pace_;
  std::function<void()> action_;
  std::unique_ptr<TTimer> timer_;
  bool pending_ = false;
  bool ran_ = false;
  std::uint64_t last_ = 0;
};
