#pragma once
// The gauge's arithmetic, kept free of the window system.
#include <algorithm>
#include <climits>
#include <cstdint>

namespace velotune {

// Whole-number percentage of progress within minValue..maxValue, rounded toward
// zero; 0 for an empty range. Works in 64 bits: the full 32-bit range overflows.
constexpr int GaugePercentage(int32_t minValue, int32_t maxValue, int32_t progress) {
  if (maxValue == minValue) return 0;
  const int64_t done = (static_cast<int64_t>(progress) - minValue) * 100;
  const int64_t percent = done / (static_cast<int64_t>(maxValue) - minValue);
  return static_cast<int>(std::clamp<int64_t>(percent, INT_MIN, INT_MAX));
}

// Right edge (exclusive, from the gauge's left) of the filled part of a bar whose
// paint rectangle spans `span` = right - left + 1; at most span, 0 or less for no bar.
constexpr int GaugeFillLength(int span, int percentage) {
  const int64_t length = static_cast<int64_t>(span) * percentage / 100;
  return static_cast<int>(std::clamp<int64_t>(length, INT_MIN, span));
}

}  // namespace velotune
