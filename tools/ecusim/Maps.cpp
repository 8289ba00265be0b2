#include "ecusim/Maps.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace ecusim {
namespace {

// Offsets in the bank image, as the ECU keeps them.
constexpr std::size_t kName = 0;
constexpr std::size_t kTexts = 32;
constexpr std::size_t kIgnition = 288;
constexpr std::size_t kInjection = 800;
constexpr std::size_t kInjectorTiming = 2336;
constexpr std::size_t kAirIgnition = 3296;
constexpr std::size_t kCoolantIgnition = 3338;
constexpr std::size_t kMapCompIgnition = 3544;
constexpr std::size_t kSoftLimit = 3628;
constexpr std::size_t kHardLimit = 3630;
constexpr std::size_t kStartTiming = 3791;
constexpr std::size_t kSpeedSites = 3904;
constexpr std::size_t kMspb = 3968;
constexpr std::size_t kLoadOptions = 3969;
constexpr std::size_t kLoadSites = 3970;
constexpr std::size_t kSmallLoadAxes = 4002;  // five axes of five sites each
constexpr std::size_t kAfrTarget = 4216;

constexpr int kSpeeds = 32;
constexpr int kLoads = 16;

void PutBE16(std::span<std::uint8_t, kMapImageSize> image, std::size_t at, int v) {
  const auto w = static_cast<std::uint16_t>(v);
  image[at] = static_cast<std::uint8_t>(w >> 8);
  image[at + 1] = static_cast<std::uint8_t>(w & 0xFF);
}

// An ignition byte carries (advance in degrees) x 2 + 120.
std::uint8_t IgnitionByte(int degrees) { return static_cast<std::uint8_t>(2 * degrees + 120); }

// A correction byte carries 132 - 2 x (degrees); 132 is no correction.
constexpr std::uint8_t kNoIgnitionCorrection = 132;

}  // namespace

void FillPlausibleBank(std::span<std::uint8_t, kMapImageSize> image, int bank) {
  std::fill(image.begin(), image.end(), std::uint8_t{0});

  const std::string name = "ECU bank " + std::to_string(bank);
  std::fill(image.begin() + kName, image.begin() + kName + 32, static_cast<std::uint8_t>(' '));
  std::copy(name.begin(), name.end(), image.begin() + kName);
  // Eight empty detail texts (each its terminator), no comments, the rest of the block unused.
  std::fill(image.begin() + kTexts + 8, image.begin() + kIgnition, std::uint8_t{0xFF});

  // Speed sites 0, 500, 750 ... 8,000 rpm; throttle load sites in per cent.
  int speeds[kSpeeds];
  speeds[0] = 0;
  for (int s = 1; s < kSpeeds; ++s) speeds[s] = 500 + 250 * (s - 1);
  static constexpr int kThrottle[kLoads] = {0, 3, 6, 12, 19, 25, 31, 38, 44, 50, 57, 65, 72, 79, 86, 94};
  for (int s = 0; s < kSpeeds; ++s) PutBE16(image, kSpeedSites + 2 * s, speeds[s]);
  image[kLoadOptions] = 0;  // main tables on the throttle axis
  for (int l = 0; l < kLoads; ++l) PutBE16(image, kLoadSites + 2 * l, kThrottle[l]);
  static constexpr int kSmallAxis[5] = {0, 25, 50, 75, 100};
  for (int axis = 0; axis < 5; ++axis)
    for (int i = 0; i < 5; ++i) PutBE16(image, kSmallLoadAxes + 10 * axis + 2 * i, kSmallAxis[i]);

  // Later banks are a little more conservative on advance and a little richer.
  const int retard = 2 * (bank - 1);
  for (int l = 0; l < kLoads; ++l) {
    const double load = kThrottle[l] / 100.0;
    for (int s = 0; s < kSpeeds; ++s) {
      const double rpm = speeds[s];
      const double rise = std::min(rpm, 4500.0) / 4500.0;
      const int advance = static_cast<int>(std::lround(8.0 + 28.0 * rise - 14.0 * load)) - retard;
      image[kIgnition + l * kSpeeds + s] = IgnitionByte(std::clamp(advance, -10, 45));

      // Fuel follows the load, shaped by a volumetric efficiency that peaks near 4,500 rpm.
      const double x = (rpm - 4500.0) / 2500.0;
      const double ve = 0.75 + 0.25 * std::exp(-x * x);
      const long fuel = std::lround(15.0 + 200.0 * load * ve) + 2 * (bank - 1);
      image[kInjection + l * kSpeeds + s] = static_cast<std::uint8_t>(std::clamp(fuel, 0L, 255L));

      // Target mixture x 10: 14.7 at part load, richer towards full load.
      const double afr = load <= 0.5 ? 14.7 : 14.7 - 4.4 * (load - 0.5);
      image[kAfrTarget + l * kSpeeds + s] = static_cast<std::uint8_t>(std::lround(afr * 10.0));
    }
  }
  // Injector timing 316 degrees (stored / 4) on the five rows of its table.
  std::fill(image.begin() + kInjectorTiming, image.begin() + kInjectorTiming + 5 * kSpeeds,
            std::uint8_t{316 / 4});
  std::fill(image.begin() + kAirIgnition, image.begin() + kAirIgnition + 14, kNoIgnitionCorrection);
  std::fill(image.begin() + kCoolantIgnition, image.begin() + kCoolantIgnition + 14,
            kNoIgnitionCorrection);
  std::fill(image.begin() + kMapCompIgnition, image.begin() + kMapCompIgnition + 20,
            kNoIgnitionCorrection);
  PutBE16(image, kSoftLimit, 6800);
  PutBE16(image, kHardLimit, 7000);
  image[kStartTiming] = IgnitionByte(10);
  image[kMspb] = 61;
}

}  // namespace ecusim
