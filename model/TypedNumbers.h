#pragma once
// Numbers the tuner types, turned into the whole counts the map record keeps.
#include <algorithm>
#include <cmath>

// A typed number already scaled to counts (value x 10, value / increment, ...), truncated
// toward zero. The decimal the tuner typed is exact, its binary value is not: 0.3 / 0.1
// comes out as 2.9999999999999996, and truncating that would store 2 for 0.3. A result
// within a rounding error of a whole number is that whole number; anything else is
// truncated, so 0.25 / 0.1 still stores 2.
inline double TruncTyped(double scaled) {
  if (!std::isfinite(scaled)) return scaled;
  const double whole = std::round(scaled);
  if (std::fabs(scaled - whole) <= 1e-9 * std::max(1.0, std::fabs(scaled))) return whole;
  return std::trunc(scaled);
}
