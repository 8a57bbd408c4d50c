#include "plot/totals.hpp"

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

PlotSeries series_of(const std::vector<testing::Row>& rows) { return parse_plot_file(testing::plot_file_text(rows)); }

TEST(TotalsFactor, IsReadBackFromTheRowOfLargestSeepage) {
  // Rows of examples/flood-wave-confined.dat (2·XSTREAM = 10000 m), as printed.
  const PlotSeries s = series_of({{0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
                                  {2.4, 0.73076, -0.03564, -356.4, 0.4005, 4005.0},
                                  {2.6, 0.74242, -0.003207, -32.07, 0.4027, 4027.0}});
  ASSERT_TRUE(totals_factor_from(s).has_value());
  EXPECT_DOUBLE_EQ(*totals_factor_from(s), 10000.0);
  EXPECT_FALSE(first_row_off_factor(s, 10000.0).has_value());
}

TEST(TotalsFactor, ReadsWithinThePrintedDigits) {
  // 2·XSTREAM = 2469.1 is no round number: four printed digits give it to 1e-3.
  std::vector<testing::Row> rows;
  for (int k = 0; k < 50; ++k) {
    const double seep = 0.0123456 * (k - 17.3), bank = 0.37 * k;
    rows.push_back({double(k), 0.0, seep, 2469.1 * seep, bank, 2469.1 * bank});
  }
  const PlotSeries s = series_of(rows);
  ASSERT_TRUE(totals_factor_from(s).has_value());
  EXPECT_NEAR(*totals_factor_from(s), 2469.1, 2469.1 * 1e-3);
  EXPECT_FALSE(first_row_off_factor(s, *totals_factor_from(s)).has_value());
}

TEST(TotalsFactor, FallsBackOnBankStorageAndOtherwiseIsUnknown) {
  EXPECT_DOUBLE_EQ(*totals_factor_from(series_of({{0, 0, 0, 0, 2.0, 7.0}})), 3.5);
  EXPECT_FALSE(totals_factor_from(series_of({{0, 1, 0, 0, 0, 0}, {1, 2, 0, 0, 0, 0}})).has_value());
  EXPECT_FALSE(totals_factor_from(series_of({{0, 1, 0.5, -1.0, 0, 0}})).has_value());  // negative
  EXPECT_FALSE(totals_factor_from(series_of({})).has_value());
}

TEST(TotalsFactor, FindsTheFirstRowWhereATotalDisagrees) {
  std::vector<testing::Row> rows = testing::ramp_rows(20);  // totals twice the per-length values
  EXPECT_FALSE(first_row_off_factor(series_of(rows), 2.0).has_value());
  rows[12][5] *= 1.01;  // BANKV one per cent off
  rows[15][3] *= 1.01;  // SEEPT too, later
  EXPECT_EQ(first_row_off_factor(series_of(rows), 2.0), 12u);
}

}  // namespace
}  // namespace kesta::plot
