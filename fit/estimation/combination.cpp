#include "fit/estimation/combination.hpp"

#include <cmath>
#include <cstdio>

#include "fit/estimation/estimates.hpp"

namespace kesta::fit_detail {

namespace {

// Coefficients below this (after scaling) are rounding, not part of the combination.
constexpr double kNegligible = 1e-6;
// How close a coefficient must be to a simple fraction to be written as one.
constexpr double kSnap = 2e-3;

double snapped(double c) {
  for (const double d : {1.0, 2.0, 3.0, 4.0}) {
    const double whole = std::round(c * d);
    if (std::abs(c * d - whole) < kSnap * d) return whole / d;
  }
  return c;
}

std::string power_text(double c) {
  const double r = std::round(c);
  if (r == c) return std::to_string(static_cast<long long>(r));
  char text[16];
  (void)std::snprintf(text, sizeof text, "%.3g", c);
  return text;
}

std::string product_expression(const std::vector<double>& c, const std::vector<FreeParameter>& parameters) {
  std::string numerator, denominator;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (c[i] == 0.0) continue;
    const double power = std::abs(c[i]);
    const std::string factor = parameters[i].name + (power == 1.0 ? "" : "^" + power_text(power));
    std::string& side = c[i] > 0.0 ? numerator : denominator;
    side += (side.empty() ? "" : "*") + factor;
  }
  if (numerator.empty()) numerator = "1";
  return denominator.empty() ? numerator : numerator + "/" + denominator;
}

std::string sum_expression(const std::vector<double>& c, const std::vector<FreeParameter>& parameters) {
  std::string out;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (c[i] == 0.0) continue;
    const std::string name = parameters[i].scale == Scale::Log ? "ln(" + parameters[i].name + ")" : parameters[i].name;
    const double size = std::abs(c[i]);
    const std::string term = (size == 1.0 ? "" : power_text(size) + "*") + name;
    if (out.empty())
      out = (c[i] < 0.0 ? "-" : "") + term;
    else
      out += (c[i] < 0.0 ? " - " : " + ") + term;
  }
  return out;
}

}  // namespace

Combination make_combination(std::vector<double> c, const std::vector<FreeParameter>& parameters,
                             const LeastSquaresFit& fit) {
  double largest = 0.0;
  for (double v : c) largest = std::max(largest, std::abs(v));
  double first = 0.0;
  for (double& v : c) {
    if (std::abs(v) < kNegligible * largest) v = 0.0;
    if (first == 0.0) first = v;
  }
  bool all_log = true;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (first != 0.0) c[i] = snapped(c[i] / first);
    if (c[i] != 0.0 && parameters[i].scale != Scale::Log) all_log = false;
  }

  Combination out;
  out.coefficients = c;
  out.expression = all_log ? product_expression(c, parameters) : sum_expression(c, parameters);
  const Eigen::Map<const Eigen::VectorXd> w(c.data(), static_cast<Eigen::Index>(c.size()));
  const Eigen::Map<const Eigen::VectorXd> x(fit.internal.data(), static_cast<Eigen::Index>(fit.internal.size()));
  const double centre = w.dot(x);
  out.value = all_log ? std::exp(centre) : centre;
  if (fit.covariance.size() > 0) {
    const double sd = std::sqrt(std::max(0.0, w.dot(fit.covariance * w)));
    const double t = t95(fit);
    out.std_error = all_log ? out.value * sd : sd;
    out.ci95 = all_log ? std::pair{std::exp(centre - t * sd), std::exp(centre + t * sd)}
                       : std::pair{centre - t * sd, centre + t * sd};
  }
  return out;
}

}  // namespace kesta::fit_detail
