#include "fit/estimation/estimates.hpp"

#include <cmath>

#include "fit/estimation/student_t.hpp"

namespace kesta::fit {

namespace {

// An estimate this close to a bound (in solver coordinates) sits on it.
constexpr double kOnBound = 1e-8;

bool on(double x, double bound) { return std::isfinite(bound) && std::abs(x - bound) <= kOnBound * std::max(1.0, std::abs(bound)); }

bool determined(const LeastSquaresFit& fit, std::size_t i) {
  return fit.covariance.size() > 0 && !fit.null_space.undetermined[i];
}

}  // namespace

double t95(const LeastSquaresFit& fit) { return student_t_quantile(0.95, std::max(fit.degrees_of_freedom, 1)); }

std::vector<Estimate> parameter_estimates(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit) {
  const double t = t95(fit);
  std::vector<Estimate> out;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const FreeParameter& p = parameters[i];
    Estimate e{p.name, p.scale, p.initial, fit.estimate[i], std::nullopt, std::nullopt, ""};
    const double x = fit.internal[i];
    if (on(x, to_internal(p.scale, p.min))) e.at_bound = "min";
    if (on(x, to_internal(p.scale, p.max))) e.at_bound = "max";
    if (determined(fit, i)) {
      const auto k = static_cast<Eigen::Index>(i);
      const double sd = std::sqrt(fit.covariance(k, k));
      // Through the logarithm: d(value) = value * d(ln value).
      e.std_error = p.scale == Scale::Log ? e.value * sd : sd;
      e.ci95 = {to_natural(p.scale, x - t * sd), to_natural(p.scale, x + t * sd)};
    }
    out.push_back(e);
  }
  return out;
}

std::vector<std::vector<std::optional<double>>> correlation_matrix(const LeastSquaresFit& fit) {
  const std::size_t p = fit.internal.size();
  std::vector<std::vector<std::optional<double>>> out(p, std::vector<std::optional<double>>(p));
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      if (!determined(fit, a) || !determined(fit, b)) continue;
      const auto i = static_cast<Eigen::Index>(a);
      const auto j = static_cast<Eigen::Index>(b);
      const double scale = std::sqrt(fit.covariance(i, i) * fit.covariance(j, j));
      out[a][b] = a == b ? 1.0 : (scale > 0.0 ? fit.covariance(i, j) / scale : 0.0);
    }
  }
  return out;
}

}  // namespace kesta::fit
