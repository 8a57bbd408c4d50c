#include "plot/totals.hpp"

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

PlotSeries series_of(const std::vector<testing::Row>& rows) { return parse_plot_file(testing::plot_file_text(rows)); }

TEST(TotalsFactor, IsReadBackWithinThePrintedDigits) {
  // 2·XSTREAM = 2469.1 is no round number: four printed digits give it to 1e-3.
  std::vector<testing::Row> rows;
  for (int k = 0; k < 50; ++k) {
    const double seep = 0.0123456 * (k - 17.3), bank = 0.37 * k;
    rows.push_back({double(k), 0.0, seep, 2469.1 * seep, bank, 2469.1 * bank});
  }
  const std::optional<double> factor = totals_factor_from(series_of(rows));
  ASSERT_TRUE(factor.has_value());
  EXPECT_NEAR(*factor, 2469.1, 2469.1 * 1e-3);
  EXPECT_FALSE(first_row_off_factor(series_of(rows), *factor).has_value());
  rows[12][5] *= 1.01;  // BANKV one per cent off
  rows[15][3] *= 1.01;  // SEEPT too, later
  EXPECT_EQ(first_row_off_factor(series_of(rows), *factor), 12u);
}

TEST(TotalsFactor, FallsBackOnBankStorageAndOtherwiseIsUnknown) {
  EXPECT_DOUBLE_EQ(*totals_factor_from(series_of({{0, 0, 0, 0, 2.0, 7.0}})), 3.5);
  EXPECT_FALSE(totals_factor_from(series_of({{0, 1, 0, 0, 0, 0}})).has_value());
  EXPECT_FALSE(totals_factor_from(series_of({{0, 1, 0.5, -1.0, 0, 0}})).has_value());  // negative
}

}  // namespace
}  // namespace kesta::plot
