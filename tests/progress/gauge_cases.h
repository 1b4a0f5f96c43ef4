#pragma once
// Percentages that the gauge arithmetic and the gauge control must both give.
#include <climits>

namespace velotune::test {

struct PercentageCase {
  int minValue, maxValue, progress, percent;
};

inline constexpr PercentageCase kPercentageCases[] = {
    {0, 100, 50, 50},
    {0, 1000, 19, 1},
    {0, 3, 2, 66},
    {5, 5, 5, 0},
    {-10, -5, -7, 60},
    {-100, 100, 0, 50},
    {-2147483647, 2147483647, 0, 50},
    {INT_MIN, INT_MAX, INT_MAX, 100},
    {INT_MIN, INT_MAX, INT_MIN, 0},
};

}  // namespace velotune::test
