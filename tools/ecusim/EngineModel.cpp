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
constexpr double kAccelPerOpening = 6;   // % of accel fuelling per % the throttle opens
constexpr double kAccelTimeConstant = 0.3;  // seconds
constexpr std::uint32_t kGearChangeMs = 400;  // the clutch is down this long

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
    // Going from one throttle to another on the move is a gear change.
    if (targetThrottle_ > 0 && roadSpeed_ > 100) clutchMs_ = kGearChangeMs;
    targetThrottle_ = pick < 0.33 ? 0 : pick < 0.9 ? Uniform(5, 60) : 100;
    holdMs_ = static_cast<std::uint32_t>(Uniform(1500, 6000));
  } else {
    holdMs_ -= dtMs;
  }
  clutchMs_ -= std::min(clutchMs_, dtMs);
  const double step = kThrottleRate * dt;
  throttle_ += std::clamp(targetThrottle_ - throttle_, -step, step);

  rpm_ = Lag(rpm_, kIdleRpm + kRpmPerThrottle * throttle_, dt, kRpmTimeConstant);
  map_ = Lag(map_, 32 + 0.68 * throttle_, dt, kMapTimeConstant);
  if (coolant_ < kThermostat) coolant_ = std::min(kThermostat, coolant_ + kWarmUpRate * dt);
  air_ = Lag(air_, 20 + throttle_ / 10, dt, 20);
  roadSpeed_ = Lag(roadSpeed_, throttle_ > 0 ? rpm_ / 4 : 0, dt, 3);

  // What the sensors read: the crank's speed varies from firing to firing, the manifold
  // pulses, the throttle sensor's signal is never quite clean.
  const double rpm = rpm_ * (1 + Uniform(-0.004, 0.004));
  const double map = map_ + Uniform(-0.4, 0.4);
  const double load = (map - 20) / 80;  // 0 at 20 kPa, 1 at 100 kPa
  const double sensed = std::max(0.0, throttle_ + Uniform(-0.15, 0.15));
  // Accel fuelling answers the sensed throttle's movement and dies away: extra fuel while it
  // opens, less while it closes.
  accel_ = Lag(accel_, 0, dt, kAccelTimeConstant) + kAccelPerOpening * (sensed - sensedThrottle_);
  sensedThrottle_ = sensed;

  fast.rpm = Word(rpm);
  Site(rpm / 250, 31, fast.speedSite, fast.speedFraction);
  fast.throttleCounts = Word(60 + sensed * 7.4);
  fast.throttlePercent = Byte(sensed);
  fast.manifoldPressure = Word(map * 10);
  Site(load * 15, 15, fast.loadSite, fast.loadFraction);
  const long accel = std::clamp(std::lround(accel_), -255L, 255L);
  fast.gaugeValue = static_cast<std::uint8_t>(std::labs(accel));
  fast.flags = static_cast<std::uint8_t>((fast.flags & ~3u) | (accel < 0 ? 1u : 0u) | (clutchMs_ > 0 ? 2u : 0u));
  fast.ignitionMapValue = static_cast<std::int8_t>(std::clamp(std::lround(2 * (10 + rpm / 300 - 12 * load)), -127L, 127L));
  fast.advance = fast.ignitionMapValue;
  fast.injectionMapValue = Byte(40 + 150 * load);
  // Pulse time in counts of about 1.5 us: 2 ms at idle, 14 ms at full load.
  fast.pulseCount1 = Word((2 + 12 * load) / 0.0015263);
  fast.pulseCount2 = 0;
  fast.afr = Byte((throttle_ > 80 ? 125 : 147) + Uniform(-3, 3));
  fast.afr2 = fast.afr;
  fast.roadSpeed = Word(roadSpeed_);

  slow.coolantTemp = static_cast<int>(std::lround(coolant_));
  slow.airTemp = static_cast<int>(std::lround(air_));
  slow.battery = Byte(11 * (13.8 + Uniform(-0.1, 0.1)));
  slow.egt = Word(350 + 5 * throttle_ + rpm_ / 20);
  // Five switched outputs: the cooling fan, the air conditioning cut at full throttle, an
  // engine speed switch, the boost control valve, the idle-up valve.
  slow.outputs = static_cast<std::uint8_t>((coolant_ >= 86 ? 1 : 0) | (throttle_ > 80 ? 2 : 0) | (rpm_ > 4500 ? 4 : 0) |
                                           (map_ > 80 ? 8 : 0) | (throttle_ < 1 ? 16 : 0));
}

}  // namespace ecusim
