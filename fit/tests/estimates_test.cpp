#include "fit/estimation/estimates.hpp"

#include <gtest/gtest.h>

namespace kesta::fit_detail {
namespace {

// The interval is the two-sided 95 % one: estimate +- t * standard error, t
// from Student's distribution with the fit's interval degrees of freedom
// (AR(1)-aware; not those that scale the covariance) or the plain ones (Abramowitz and Stegun, table 26.10: 12.706 for
// 1, 4.3027 for 2, 2.2281 for 10).
TEST(Estimates, IntervalIsTwoSidedNinetyFivePercent) {
  const struct {
    int degrees, plain_degrees;
    double t, plain_t;
  } cases[] = {{10, 10, 2.2281, 2.2281}, {1, 2, 12.706, 4.3027}, {2, 1, 4.3027, 12.706}};
  for (const auto& c : cases) {
    LeastSquaresFit fit;
    fit.internal = {5.0};
    fit.estimate = {5.0};
    fit.degrees_of_freedom = 1000;
    fit.interval_degrees_of_freedom = c.degrees;
    fit.plain_degrees_of_freedom = c.plain_degrees;
    fit.covariance = Eigen::MatrixXd::Constant(1, 1, 4.0);
    fit.plain_covariance = Eigen::MatrixXd::Constant(1, 1, 1.0);
    fit.null_space.undetermined = {false};
    const std::vector<Estimate> table = parameter_estimates({{"HINIT", Scale::Linear, 4.0}}, fit);
    ASSERT_TRUE(table[0].std_error && table[0].ci95 && table[0].plain_ci95) << c.degrees;
    EXPECT_DOUBLE_EQ(*table[0].std_error, 2.0);
    EXPECT_NEAR(table[0].ci95->first, 5.0 - c.t * 2.0, 1e-3) << c.degrees;
    EXPECT_NEAR(table[0].ci95->second, 5.0 + c.t * 2.0, 1e-3) << c.degrees;
    EXPECT_NEAR(table[0].plain_ci95->first, 5.0 - c.plain_t, 1e-3) << c.plain_degrees;
    EXPECT_NEAR(table[0].plain_ci95->second, 5.0 + c.plain_t, 1e-3) << c.plain_degrees;
  }
}

}  // namespace
}  // namespace kesta::fit_detail
