#include "fit/estimation/parameter_draws.hpp"

#include <Eigen/Eigenvalues>
#include <cmath>

namespace kesta::fit_detail {

double Deviates::uniform() {
  // The top 53 bits, moved half a step off zero.
  return (static_cast<double>(engine_() >> 11) + 0.5) * 0x1.0p-53;
}

double Deviates::normal() {
  if (has_spare_) {
    has_spare_ = false;
    return spare_;
  }
  double u = 0.0, v = 0.0, s = 0.0;
  do {
    u = 2.0 * uniform() - 1.0;
    v = 2.0 * uniform() - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0 || s == 0.0);
  const double f = std::sqrt(-2.0 * std::log(s) / s);
  spare_ = v * f;
  has_spare_ = true;
  return u * f;
}

double Deviates::chi_square(double nu) {
  // Gamma(nu / 2) by Marsaglia and Tsang, twice it a chi-square; a shape below
  // one is raised by one and scaled back by U^(1/shape).
  double shape = 0.5 * nu;
  double boost = 1.0;
  if (shape < 1.0) {
    boost = std::pow(uniform(), 1.0 / shape);
    shape += 1.0;
  }
  const double d = shape - 1.0 / 3.0;
  const double c = 1.0 / std::sqrt(9.0 * d);
  for (;;) {
    double x = 0.0, v = 0.0;
    do {
      x = normal();
      v = 1.0 + c * x;
    } while (v <= 0.0);
    v = v * v * v;
    const double u = uniform();
    if (std::log(u) < 0.5 * x * x + d - d * v + d * std::log(v)) return 2.0 * d * v * boost;
  }
}

std::vector<ParameterDraw> draw_parameters(const std::vector<double>& center, const Eigen::MatrixXd& covariance,
                                           const std::vector<bool>& held, int degrees_of_freedom, int count,
                                           std::uint64_t seed) {
  std::vector<Eigen::Index> moving;
  for (std::size_t i = 0; i < center.size(); ++i)
    if (i >= held.size() || !held[i]) moving.push_back(static_cast<Eigen::Index>(i));
  const auto m = static_cast<Eigen::Index>(moving.size());
  Eigen::MatrixXd c(m, m);
  for (Eigen::Index a = 0; a < m; ++a)
    for (Eigen::Index b = 0; b < m; ++b) c(a, b) = covariance(moving[a], moving[b]);
  // A square root that also serves a semi-definite covariance: V sqrt(max(L, 0)).
  Eigen::MatrixXd root = Eigen::MatrixXd::Zero(m, m);
  if (m > 0) {
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(0.5 * (c + c.transpose()));
    for (Eigen::Index k = 0; k < m; ++k) {
      const double value = eigen.eigenvalues()(k);
      if (value > 0.0) root.col(k) = eigen.eigenvectors().col(k) * std::sqrt(value);
    }
  }
  Deviates random(seed);
  const double nu = static_cast<double>(degrees_of_freedom < 1 ? 1 : degrees_of_freedom);
  std::vector<ParameterDraw> out;
  out.reserve(static_cast<std::size_t>(count < 0 ? 0 : count));
  Eigen::VectorXd z(m);
  for (int k = 0; k < count; ++k) {
    for (Eigen::Index a = 0; a < m; ++a) z(a) = random.normal();
    ParameterDraw draw{center, std::sqrt(nu / random.chi_square(nu))};
    const Eigen::VectorXd step = root * z;
    for (Eigen::Index a = 0; a < m; ++a) draw.internal[static_cast<std::size_t>(moving[a])] += draw.t_factor * step(a);
    out.push_back(std::move(draw));
  }
  return out;
}

}  // namespace kesta::fit_detail
