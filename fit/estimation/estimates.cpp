#include "fit/estimation/estimates.hpp"

#include <cmath>

#include "fit/estimation/student_t.hpp"

namespace kesta::fit_detail {

namespace {

bool determined(const LeastSquaresFit& fit, std::size_t i) {
  return fit.covariance.size() > 0 && !fit.null_space.undetermined[i];
}

}  // namespace

bool on_bound(double x, double bound) {
  return std::isfinite(bound) && std::abs(x - bound) <= kOnBound * std::max(1.0, std::abs(bound));
}

double t95(const LeastSquaresFit& fit) {
  return student_t_quantile(0.95, std::max(fit.interval_degrees_of_freedom, 1));
}

std::vector<Estimate> parameter_estimates(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit) {
  const double t = t95(fit);
  const double plain_t = student_t_quantile(0.95, std::max(fit.plain_degrees_of_freedom, 1));
  std::vector<Estimate> out;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const FreeParameter& p = parameters[i];
    Estimate e;
    e.name = p.name;
    e.scale = p.scale;
    e.initial = p.initial;
    e.value = fit.estimate[i];
    const double x = fit.internal[i];
    if (on_bound(x, to_internal(p.scale, p.min))) e.at_bound = "min";
    if (on_bound(x, to_internal(p.scale, p.max))) e.at_bound = "max";
    // The covariance treats a parameter held on its bound as free: its
    // spread would describe values the bound forbids.
    if (determined(fit, i) && e.at_bound.empty()) {
      const auto k = static_cast<Eigen::Index>(i);
      const auto error = [&](const Eigen::MatrixXd& covariance, double factor, std::optional<double>& sd_out,
                             std::optional<std::pair<double, double>>& ci_out) {
        if (covariance.size() == 0) return;
        const double sd = std::sqrt(covariance(k, k));
        // Through the logarithm: d(value) = value * d(ln value).
        sd_out = p.scale == Scale::Log ? e.value * sd : sd;
        ci_out = {to_natural(p.scale, x - factor * sd), to_natural(p.scale, x + factor * sd)};
      };
      error(fit.covariance, t, e.std_error, e.ci95);
      error(fit.plain_covariance, plain_t, e.plain_std_error, e.plain_ci95);
    }
    const double open = i < fit.open_step.size() ? std::abs(fit.open_step[i]) : 0.0;
    const double scale = p.scale == Scale::Log ? 1.0 : std::max(1.0, std::abs(x));
    e.unmoved = e.at_bound.empty() && x == to_internal(p.scale, p.initial) && open > kStillOpen * scale;
    const bool closes = !e.ci95 || (std::isfinite(e.ci95->first) && std::isfinite(e.ci95->second) &&
                                    (p.scale == Scale::Linear || e.ci95->first > 0.0));
    e.unbounded = !closes || (e.std_error && !std::isfinite(*e.std_error));
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

}  // namespace kesta::fit_detail
