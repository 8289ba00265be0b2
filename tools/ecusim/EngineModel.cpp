#include "ecusim/EngineModel.h"

#include <algorithm>
#include <cmath>

namespace ecusim {

namespace {

constexpr double kIdleRpm = 850;
constexpr double kRpmPerThrottle = 55;   // rpm above idle per % throttle
constexpr double kRpmTimeConstant = 0.6;  // seconds
constexpr double kMapTimeConstant = 0.15;
constexpr double kThrottleRate = 80;     // % per second
constexpr double kThermostat = 88;
constexpr double kWarmUpRate = 0.5;      // degrees per second while cold

// Moves `value` toward `target` as a first-order lag.
double Lag(double value, double target, double dtS, double tau) {
  return value + (target - value) * (1 - std::exp(-dtS / tau));
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }
std::uint16_t Word(double v) { return static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, 65535L)); }

// A site number and the fraction (0..255) of the way to the next one.
void Site(double position, int last, std::uint8_t& site, std::uint8_t& fraction) {
  const double p = std::clamp(position, 0.0, static_cast<double>(last));
  site = static_cast<std::uint8_t>(std::floor(p));
  fraction = static_cast<std::uint8_t>(std::clamp((p - site) * 256.0, 0.0, 255.0));
}

}  // namespace

EngineModel::EngineModel(std::uint32_t seed) : rng_(seed == 0 ? 0x9E3779B9u : seed) {}

std::uint32_t EngineModel::Random() {
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  return rng_;
}

double EngineModel::Uniform(double lo, double hi) { return lo + (hi - lo) * (Random() / 4294967296.0); }

void EngineModel::Step(std::uint32_t dtMs, FastLive& fast, SlowLive& slow) {
  const double dt = dtMs / 1000.0;
  // The driver: idles a third of the time, otherwise holds a part or full throttle for a
  // few seconds.
  if (holdMs_ <= dtMs) {
    const double pick = Uniform(0, 1);
    targetThrottle_ = pick < 0.33 ? 0 : pick < 0.9 ? Uniform(5, 60) : 100;
    holdMs_ = static_cast<std::uint32_t>(Uniform(1500, 6000));
  } else {
    holdMs_ -= dtMs;
  }
  const double step = kThrottleRate * dt;
  throttle_ += std::clamp(targetThrottle_ - throttle_, -step, step);

  rpm_ = Lag(rpm_, kIdleRpm + kRpmPerThrottle * throttle_, dt, kRpmTimeConstant);
  map_ = Lag(map_, 32 + 0.68 * throttle_, dt, kMapTimeConstant);
  if (coolant_ < kThermostat) coolant_ = std::min(kThermostat, coolant_ + kWarmUpRate * dt);
  air_ = Lag(air_, 20 + throttle_ / 10, dt, 20);
  roadSpeed_ = Lag(roadSpeed_, throttle_ > 0 ? rpm_ / 4 : 0, dt, 3);
  const double load = (map_ - 20) / 80;  // 0 at 20 kPa, 1 at 100 kPa

  fast.rpm = Word(rpm_);
  Site(rpm_ / 250, 31, fast.speedSite, fast.speedFraction);
  fast.throttleCounts = Word(60 + throttle_ * 7.4);
  fast.throttlePercent = Byte(throttle_);
  fast.manifoldPressure = Word(map_ * 10);
  Site(load * 15, 15, fast.loadSite, fast.loadFraction);
  fast.ignitionMapValue = static_cast<std::int8_t>(std::clamp(std::lround(2 * (10 + rpm_ / 300 - 12 * load)), -127L, 127L));
  fast.advance = fast.ignitionMapValue;
  fast.injectionMapValue = Byte(40 + 150 * load);
  // Pulse time in counts of about 1.5 us: 2 ms at idle, 14 ms at full load.
  fast.pulseCount1 = Word((2 + 12 * load) / 0.0015263);
  fast.pulseCount2 = 0;
  fast.afr = Byte(throttle_ > 80 ? 125 : 147 + Uniform(-3, 3));
  fast.afr2 = fast.afr;
  fast.roadSpeed = Word(roadSpeed_);

  slow.coolantTemp = static_cast<int>(std::lround(coolant_));
  slow.airTemp = static_cast<int>(std::lround(air_));
  slow.battery = Byte(11 * (13.8 + Uniform(-0.1, 0.1)));
  slow.egt = Word(350 + 5 * throttle_ + rpm_ / 20);
}

}  // namespace ecusim
