#include "fit/estimation/estimates.hpp"

#include <gtest/gtest.h>

namespace kesta::fit_detail {
namespace {

// The interval is the two-sided 95 % one: estimate +- t * standard error, with
// t = 2.2281 for 10 degrees of freedom (Abramowitz and Stegun, table 26.10).
TEST(Estimates, IntervalIsTwoSidedNinetyFivePercent) {
  LeastSquaresFit fit;
  fit.internal = {5.0};
  fit.estimate = {5.0};
  fit.degrees_of_freedom = 10;
  fit.covariance = Eigen::MatrixXd::Constant(1, 1, 4.0);
  fit.null_space.undetermined = {false};
  const std::vector<Estimate> table = parameter_estimates({{"HINIT", Scale::Linear, 4.0}}, fit);
  ASSERT_TRUE(table[0].std_error && table[0].ci95);
  EXPECT_DOUBLE_EQ(*table[0].std_error, 2.0);
  EXPECT_NEAR(table[0].ci95->first, 5.0 - 2.2281 * 2.0, 1e-3);
  EXPECT_NEAR(table[0].ci95->second, 5.0 + 2.2281 * 2.0, 1e-3);
}

}  // namespace
}  // namespace kesta::fit_detail
