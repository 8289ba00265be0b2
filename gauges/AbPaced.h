#pragma once
// An action that runs at most once per pace: a display fed by a fast stream (live data,
// a recording trend) redraws at a rate the eye can follow instead of once per value, and
// the last request always lands.
//
// A request runs the action at once when the last run is at least the pace ago. A request
// that comes sooner waits: the next request after the pace runs it, or, when none comes,
// a timer one pace after the last waiting request. While requests keep coming faster than
// the pace the timer never fires, so pacing costs the program no wake-ups of its own.
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
