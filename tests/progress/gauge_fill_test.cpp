#include "progress/gauge_fill.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "progress/gauge_cases.h"

namespace velotune {
namespace {

TEST(GaugeFill, PercentageIsRoundedTowardZeroAndZeroForAnEmptyRange) {
  for (const auto& c : test::kPercentageCases)
    EXPECT_EQ(GaugePercentage(c.minValue, c.maxValue, c.progress), c.percent)
        << c.minValue << ".." << c.maxValue << " at " << c.progress;
}

TEST(GaugeFill, PercentageOutsideTheRangeIsNotWrapped) {
  const struct {
    int minValue, maxValue, progress, percent;
  } cases[] = {
      {0, 1, INT_MAX, INT_MAX},  // 214748364700 % would not fit
      {0, 1, INT_MIN, INT_MIN},
      {0, 100, 150, 150},
      {0, 100, -5, -5},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GaugePercentage(c.minValue, c.maxValue, c.progress), c.percent)
        << c.minValue << ".." << c.maxValue << " at " << c.progress;
}

TEST(GaugeFill, FillLengthIsCutAtTheSpan) {
  const struct {
    int span, percent, length;
  } cases[] = {{298, 0, 0},
               {298, 1, 2},
               {298, 50, 149},
               {298, 99, 295},
               {298, 100, 298},
               {298, 150, 298},
               {300, 100, 300},
               {298, -5, -14},
               {INT_MAX, 100, INT_MAX},
               {INT_MAX, 50, INT_MAX / 2},
               {100, INT_MAX, 100},
               {100, INT_MIN, INT_MIN}};
  for (const auto& c : cases)
    EXPECT_EQ(GaugeFillLength(c.span, c.percent), c.length) << c.span << " at " << c.percent;
}

}  // namespace
}  // namespace velotune
