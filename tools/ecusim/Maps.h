#pragma once
// The calibration a fresh simulated ECU holds in its map banks: a plausible spark-ignition
// engine, so that a map read from it has real speed and load sites, an advance that rises
// with engine speed and falls with load, and fuel that follows the load.
#include <cstdint>
#include <span>

namespace ecusim {

constexpr std::size_t kMapImageSize = 6144;

// Fills one bank's 6,144-byte image. `bank` (1..3) varies the name and the calibration a
// little, so that the three banks can be told apart.
void FillPlausibleBank(std::span<std::uint8_t, kMapImageSize> image, int bank);

}  // namespace ecusim
