#pragma once
// Rounding to whole numbers as the written formats expect it, independent of the process's
// floating-point rounding mode (which this never reads or changes).

#include <cmath>

namespace vorlix::platform {

// The nearest whole number; a value exactly halfway goes to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2). Infinities and NaN come back as they are.
inline double RoundHalfToEven(double value) {
  const double nearest = std::round(value);  // halves away from zero
  if (std::fabs(nearest - value) != 0.5) return nearest;
  // Exactly halfway: of the two neighbours, the one whose half is whole.
  return 2.0 * std::round(value / 2.0);
}

// RoundHalfToEven as an int, for values known to fit.
inline int RoundHalfToEvenInt(double value) {
  return static_cast<int>(RoundHalfToEven(value));
}

}  // namespace vorlix::platform
