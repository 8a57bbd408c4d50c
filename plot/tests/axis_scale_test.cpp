#include "plot/axis_scale.hpp"

#include <cmath>

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

// True when v is 1, 2 or 5 times a power of ten.
bool is_round(double v) {
  const double mantissa = v / std::pow(10.0, std::floor(std::log10(v) + 1e-9));
  for (double m : {1.0, 2.0, 5.0})
    if (std::abs(mantissa - m) < 1e-9) return true;
  return false;
}

TEST(RoundStep, IsTheRoundNumberAtOrAboveTheRawStep) {
  const struct {
    double span;
    int intervals;
    double step;
  } cases[] = {
      {1.0, 5, 0.2}, {1.0, 10, 0.1},         {3.0, 10, 0.5},      {0.3, 3, 0.1},  // 0.3 / 3 is 0.1, not 0.2
      {7.0, 5, 2.0}, {99998.0, 10, 10000.0}, {2.5e151, 5, 5e150}, {4e-119, 5, 1e-119},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(round_step(c.span, c.intervals), c.step) << c.span;
}

TEST(ValueAxis, CoversTheDataWithRoundEnds) {
  const std::pair<double, double> ranges[] = {{0.0, 0.6831},     {-0.5642, 0.0}, {0.47950, 0.47950},
                                              {-3e-120, 7e-119}, {12.3, 12.9},   {0.0, 0.0}};
  for (const auto& [lo, hi] : ranges) {
    const AxisScale a = value_axis(lo, hi, 5);
    EXPECT_LE(a.low, lo);
    EXPECT_GE(a.high, hi);
    EXPECT_LT(a.low, a.high);
    EXPECT_TRUE(is_round(a.step)) << a.step;
    EXPECT_NEAR(a.low / a.step, std::round(a.low / a.step), 1e-9);
    EXPECT_NEAR(a.high / a.step, std::round(a.high / a.step), 1e-9);
    EXPECT_LE((a.high - a.low) / a.step, 10.5) << "too many ticks for " << lo << ".." << hi;
  }
}

TEST(TimeAxis, SpansExactlyTheFirstAndLastTime) {
  const AxisScale a = time_axis(0.5, 99998.0, 10);
  EXPECT_EQ(a.low, 0.5);
  EXPECT_EQ(a.high, 99998.0);
  const std::vector<double> ticks = a.ticks();
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front(), 10000.0);
  EXPECT_EQ(ticks.back(), 90000.0);
}

TEST(TimeAxis, OneTimeGetsARangeAroundIt) {
  const AxisScale a = time_axis(1.0, 1.0, 10);
  EXPECT_EQ(a.low, 0.0);
  EXPECT_EQ(a.high, 2.0);
  EXPECT_DOUBLE_EQ(a.fraction(1.0), 0.5);
  const AxisScale zero = time_axis(0.0, 0.0, 10);
  EXPECT_EQ(zero.low, 0.0);
  EXPECT_EQ(zero.high, 1.0);
}

TEST(ScaledAxis, ReadsTheSamePointsTimesTheFactor) {
  // Seepage of the flood-wave example against its total, 2·XSTREAM = 10000 m.
  const AxisScale seep = value_axis(-0.0356, 0.0218, 5);
  const AxisScale total = scaled_axis(seep, 10000.0, 5);
  EXPECT_DOUBLE_EQ(total.low, seep.low * 10000.0);
  EXPECT_DOUBLE_EQ(total.high, seep.high * 10000.0);
  for (double v : {-0.0356, 0.0, 0.0113, 0.0218}) EXPECT_NEAR(total.fraction(v * 10000.0), seep.fraction(v), 1e-15);
  EXPECT_TRUE(is_round(total.step));
  // A factor that is no round number still gets round ticks of its own.
  const AxisScale odd = scaled_axis(seep, 2469.0, 5);
  EXPECT_TRUE(is_round(odd.step));
  EXPECT_GE(odd.ticks().size(), 3u);
}

TEST(TickLabels, ShowRoundNumbersWithoutFloatingNoise) {
  const AxisScale tenths{0.0, 0.7, 0.1};
  EXPECT_EQ(tick_labels(tenths, tenths.ticks()),
            (std::vector<std::string>{"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7"}));
  const AxisScale negative{-1.5, 0.5, 0.5};
  EXPECT_EQ(tick_labels(negative, negative.ticks()), (std::vector<std::string>{"-1.5", "-1.0", "-0.5", "0", "0.5"}));
  const AxisScale huge{0.0, 1.5e151, 5e150};
  EXPECT_EQ(tick_labels(huge, huge.ticks()), (std::vector<std::string>{"0", "5.0E+150", "1.0E+151", "1.5E+151"}));
  const AxisScale tiny{0.0, 2e-119, 1e-119};
  EXPECT_EQ(tick_labels(tiny, tiny.ticks()), (std::vector<std::string>{"0", "1E-119", "2E-119"}));
}

}  // namespace
}  // namespace kesta::plot
