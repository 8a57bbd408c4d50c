#include "fit/estimation/student_t.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kesta::fit_detail {
namespace {

// Two-sided 95 % points of Student's t, from the standard table
// (Abramowitz and Stegun, table 26.10, Q = 0.05), five figures.
TEST(StudentT, QuantileMatchesTable) {
  const struct {
    int nu;
    double t;
  } cases[] = {{1, 12.706},  {2, 4.3027},  {3, 3.1824},   {5, 2.5706},
               {10, 2.2281}, {30, 2.0423}, {120, 1.9799}, {1000000, 1.9600}};
  for (const auto& c : cases) EXPECT_NEAR(student_t_quantile(0.95, c.nu), c.t, 1e-4 * c.t) << "nu " << c.nu;
}

// One degree of freedom is the Cauchy distribution: P(|T| <= t) = 2 atan(t) / pi;
// two: t / sqrt(2 + t^2). Both closed forms.
TEST(StudentT, CentralProbabilityMatchesClosedForms) {
  for (const double t : {0.1, 1.0, 3.0, 40.0}) {
    EXPECT_NEAR(student_t_central(t, 1), 2.0 * std::atan(t) / std::numbers::pi, 1e-15) << t;
    EXPECT_NEAR(student_t_central(t, 2), t / std::sqrt(2.0 + t * t), 1e-15) << t;
  }
}

}  // namespace
}  // namespace kesta::fit_detail
