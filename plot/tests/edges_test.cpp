// Where rounding or a limit decides: axis steps, ticks and labels, the totals
// factor read back from printed digits, the length of a unit's name.
#include <gtest/gtest.h>

#include "plot/axis_scale.hpp"
#include "plot/tests/plot_file_text.hpp"
#include "plot/totals.hpp"
#include "plot/units.hpp"

namespace kesta::plot {
namespace {

// A record from day 1.2 to 2.2 spans 1.0 - 1e-16 in halves: a raw step of 0.1
// plus rounding, which must still give 0.1, not 0.2.
TEST(AxisEdges, StepOfASpanWithRoundingNoise) {
  EXPECT_DOUBLE_EQ(time_axis(1.2, 2.2, 10).step, 0.1);
  EXPECT_DOUBLE_EQ(time_axis(0.3, 0.4, 10).step, 0.01);
}

// A first row at 0.4 after a step of 0.1 starts the time axis at 0.4 - 0.1,
// 3.0000000000000004 steps of 0.1: the tick at that end still counts.
TEST(AxisEdges, TickOnAnEndThatDividesWithNoise) {
  const std::vector<double> ticks = AxisScale{0.4 - 0.1, 1.0, 0.1}.ticks();
  ASSERT_EQ(ticks.size(), 8u);
  EXPECT_DOUBLE_EQ(ticks.front(), 0.3);
}

// Labels switch to E-notation from an end of a million on, and for steps of
// 1e-4 and below.
TEST(AxisEdges, LabelsSwitchToENotationAtTheirThresholds) {
  const struct {
    AxisScale axis;
    std::string second_label;
  } cases[] = {
      {{0.0, 8e5, 2e5}, "200000"},
      {{0.0, 1e6, 2e5}, "2.0E+05"},
      {{0.0, 5e-3, 1e-3}, "0.001"},
      {{0.0, 5e-4, 1e-4}, "1E-04"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> labels = tick_labels(c.axis, c.axis.ticks());
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[1], c.second_label) << c.axis.high;
  }
}

// SEEPT / SEEP as printed: -.1234E+04 / -.5000E+00 = 2468 on the row of largest
// |SEEP|, 0.2469E+01 / 0.1000E-02 = 2469 on the other.
TEST(TotalsEdges, FactorComesFromTheRowOfLargestMagnitude) {
  const std::vector<testing::Row> rows = {{0, 0, -0.5, -1234.0, 0, 0}, {1, 0, 0.001, 2.469, 0, 0}};
  EXPECT_DOUBLE_EQ(*totals_factor_from(parse_plot_file(testing::plot_file_text(rows))), 2468.0);
}

TEST(UnitsEdges, NamesOfTheLongestLengthAreTaken) {
  const std::string longest(kUnitNameMax, 'm');
  EXPECT_EQ(parse_units(longest + ",d").length, longest);
}

}  // namespace
}  // namespace kesta::plot
