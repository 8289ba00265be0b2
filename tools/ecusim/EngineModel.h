#pragma once
// A simple engine for the simulated ECU, so the live displays have something plausible to
// show: a driver who moves the throttle now and then and presses the clutch to change gear,
// engine speed and manifold pressure following the throttle, the accel fuelling answering
// its movement, the outputs switching with the engine's state, the coolant warming up to its
// thermostat. As on a running engine the sensors' readings never hold still: speed, pressure,
// throttle and mixture carry a little noise, so every fast packet differs from the last. It
// is stepped once per fast live packet with a fixed step, and its only randomness comes from
// the seed, so the same seed always gives the same sequence of packets.
#include <cstdint>

#include "ecusim/LiveData.h"

namespace ecusim {

class EngineModel {
 public:
  explicit EngineModel(std::uint32_t seed);

  // Advances the engine by `dtMs` and writes its readings into the live data. Fields the
  // engine does not model are left as they are.
  void Step(std::uint32_t dtMs, FastLive& fast, SlowLive& slow);

 private:
  std::uint32_t Random();              // xorshift32
  double Uniform(double lo, double hi);

  std::uint32_t rng_;
  double throttle_ = 0;        // %
  double targetThrottle_ = 0;  // %
  std::uint32_t holdMs_ = 0;   // time until the driver picks a new throttle
  double rpm_ = 850;
  double map_ = 35;            // kPa absolute
  double coolant_ = 20;        // degrees C
  double air_ = 20;
  double roadSpeed_ = 0;       // raw counts
  double sensedThrottle_ = 0;  // % as the throttle sensor last read it
  double accel_ = 0;           // accel fuelling, %
  std::uint32_t clutchMs_ = 0; // time the clutch stays down
};

}  // namespace ecusim
