#include "fit/estimation/delta_band.hpp"

#include <cmath>

namespace kesta::fit_detail {

Eigen::MatrixXd central_jacobian(const std::vector<std::vector<double>>& plus,
                                 const std::vector<std::vector<double>>& minus, const std::vector<double>& step) {
  const std::size_t p = step.size();
  const std::size_t m = p == 0 ? 0 : plus[0].size();
  Eigen::MatrixXd g(static_cast<Eigen::Index>(m), static_cast<Eigen::Index>(p));
  for (std::size_t i = 0; i < p; ++i)
    for (std::size_t k = 0; k < m; ++k)
      g(static_cast<Eigen::Index>(k), static_cast<Eigen::Index>(i)) = (plus[i][k] - minus[i][k]) / (2.0 * step[i]);
  return g;
}

std::vector<double> delta_variance(const Eigen::MatrixXd& jacobian, const Eigen::MatrixXd& covariance,
                                   const std::vector<bool>& held) {
  Eigen::MatrixXd g = jacobian;
  for (std::size_t i = 0; i < held.size(); ++i)
    if (held[i]) g.col(static_cast<Eigen::Index>(i)).setZero();
  const Eigen::MatrixXd gc = g * covariance;
  std::vector<double> out(static_cast<std::size_t>(g.rows()));
  for (Eigen::Index k = 0; k < g.rows(); ++k) {
    // A covariance that is positive semi-definite up to rounding: a tiny
    // negative sum means no spread, not a root of a negative number.
    const double v = gc.row(k).dot(g.row(k));
    out[static_cast<std::size_t>(k)] = v > 0.0 ? v : 0.0;
  }
  return out;
}

double record_noise_variance(const std::vector<std::size_t>& index, const std::vector<double>& residual,
                             const std::vector<double>& weight, double phi, double inflation) {
  if (index.empty()) return 0.0;
  double squares = 0.0;
  double inverse_weight_squares = 0.0;
  for (std::size_t t = 0; t < index.size(); ++t) {
    const double e = residual[index[t]];
    // The first innovation carries the stationary spread, scaled back to sigma_u.
    const double u = t == 0 ? std::sqrt(1.0 - phi * phi) * e : e - phi * residual[index[t - 1]];
    squares += u * u;
    inverse_weight_squares += 1.0 / (weight[index[t]] * weight[index[t]]);
  }
  const auto m = static_cast<double>(index.size());
  const double innovation = squares / m * inflation;
  return innovation / (1.0 - phi * phi) * (inverse_weight_squares / m);
}

BandEnds band_ends(const std::vector<double>& value, const std::vector<double>& variance, double t,
                   double extra_variance) {
  BandEnds out;
  out.lower.reserve(value.size());
  out.upper.reserve(value.size());
  for (std::size_t k = 0; k < value.size(); ++k) {
    const double half = t * std::sqrt(variance[k] + extra_variance);
    out.lower.push_back(value[k] - half);
    out.upper.push_back(value[k] + half);
  }
  return out;
}

}  // namespace kesta::fit_detail
