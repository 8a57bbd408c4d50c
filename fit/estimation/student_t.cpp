#include "fit/estimation/student_t.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kesta::fit_detail {

namespace {

// Beyond this the t distribution differs from the normal by less than 1e-5
// at the 95 % point, and the series below would only grow longer.
constexpr int kNuMax = 100000;

}  // namespace

// The finite series for whole degrees of freedom (Abramowitz and Stegun 26.7.3
// and 26.7.4), exact up to rounding.
double student_t_central(double t, int nu) {
  nu = std::min(nu, kNuMax);
  const double theta = std::atan(std::abs(t) / std::sqrt(static_cast<double>(nu)));
  const double c2 = std::cos(theta) * std::cos(theta);
  if (nu % 2 == 1) {
    if (nu == 1) return 2.0 * theta / std::numbers::pi;
    double term = std::cos(theta);
    double sum = term;
    for (int k = 3; k <= nu - 2; k += 2) {
      term *= c2 * (k - 1) / k;
      sum += term;
    }
    return 2.0 / std::numbers::pi * (theta + std::sin(theta) * sum);
  }
  double term = 1.0;
  double sum = 1.0;
  for (int k = 2; k <= nu - 2; k += 2) {
    term *= c2 * (k - 1) / k;
    sum += term;
  }
  return std::sin(theta) * sum;
}

double student_t_quantile(double probability, int nu) {
  double lo = 0.0;
  double hi = 1.0;
  while (student_t_central(hi, nu) < probability) hi *= 2.0;
  // Bisection: the central probability rises monotonically with t.
  for (int i = 0; i < 200 && hi - lo > 1e-13 * hi; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (student_t_central(mid, nu) < probability)
      lo = mid;
    else
      hi = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace kesta::fit_detail
