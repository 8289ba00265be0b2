#pragma once
// Portable conversion between IEEE doubles and the 10-byte x87 extended format that
// floating-point values of the component stream are stored in (little-endian: 64-bit
// significand with explicit integer bit, then sign and 15-bit exponent).
#include <array>
#include <cstdint>

namespace streaming {

using Extended80 = std::array<uint8_t, 10>;

// Exact: every double is representable as an extended.
Extended80 DoubleToExtended(double Value);

// Rounds the 64-bit significand to 53 bits, half to even. Raises EReadError for NaN,
// infinity and values outside the double range, so none of those reach the program.
double ExtendedToDouble(const Extended80& Bytes);

}  // namespace streaming
