// The delta method's pieces on cases whose answers are known in closed form.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/estimation/delta_band.hpp"

namespace kesta::fit_detail {
namespace {

// A series linear in its parameters has the covariance's exact image.
TEST(DeltaBand, LinearSeriesCarriesTheCovarianceExactly) {
  Eigen::MatrixXd c(2, 2);
  c << 4.0, -1.0, -1.0, 9.0;
  const struct {
    const char* name;
    std::vector<bool> held;
    std::vector<double> variance;  // of y = (a, b, a + b, a - 2b)
  } cases[] = {
      {"both free", {false, false}, {4.0, 9.0, 11.0, 4.0 + 36.0 + 4.0 * 1.0}},
      {"b held", {false, true}, {4.0, 0.0, 4.0, 4.0}},
  };
  // y at x ± 0.5 along each parameter, from x = 0.
  const std::vector<std::vector<double>> plus = {{0.5, 0.0, 0.5, 0.5}, {0.0, 0.5, 0.5, -1.0}};
  const std::vector<std::vector<double>> minus = {{-0.5, 0.0, -0.5, -0.5}, {0.0, -0.5, -0.5, 1.0}};
  const Eigen::MatrixXd g = central_jacobian(plus, minus, {0.5, 0.5});
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    const std::vector<double> v = delta_variance(g, c, k.held);
    ASSERT_EQ(v.size(), k.variance.size());
    for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], k.variance[i], 1e-12) << i;
  }
}

// Residuals built from known innovations give back their variance, and the
// AR(1) marginal variance over it.
TEST(DeltaBand, RecordNoiseIsTheMarginalVarianceInTheRecordsUnits) {
  const std::vector<double> u = {0.3, -0.5, 0.2, 0.4, -0.1, -0.3};
  const struct { double phi, weight, inflation; } cases[] = {{0.0, 1.0, 1.0}, {0.6, 1.0, 1.0}, {-0.4, 2.0, 1.5}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.phi);
    // e_0 from the stationary spread, then e_t = phi e_(t-1) + u_t, weighted.
    std::vector<double> residual = {u[0] / std::sqrt(1.0 - k.phi * k.phi)};
    for (std::size_t t = 1; t < u.size(); ++t) residual.push_back(k.phi * residual.back() + u[t]);
    for (double& r : residual) r *= k.weight;
    double squares = 0.0;
    for (const double x : u) squares += x * x;
    const double expected =
        squares / 6.0 * k.inflation / (1.0 - k.phi * k.phi);  // the weights scale residual and unit alike
    const std::vector<std::size_t> index = {0, 1, 2, 3, 4, 5};
    const std::vector<double> weight(6, k.weight);
    EXPECT_NEAR(record_noise_variance(index, residual, weight, k.phi, k.inflation), expected, 1e-12);
  }
}

}  // namespace
}  // namespace kesta::fit_detail
