#pragma once
// Rounding shared by the canvas' own units: screen coordinates from projected doubles.
#include <cmath>

namespace tecanvas {

inline constexpr double kPi = 3.14159265358979323846;

// Half to even (the default rounding mode), NaN to 0, clamped to the int range.
inline int Rnd(double v) {
  if (!(v == v)) return 0;
  const double lim = 2147483647.0;
  if (v > lim) v = lim;
  if (v < -lim) v = -lim;
  return static_cast<int>(std::nearbyint(v));
}

}  // namespace tecanvas
