#include "fit/estimation/ar1_phi.hpp"

#include <Eigen/Eigenvalues>
#include <algorithm>
#include <cmath>
#include <span>

#include "fit/estimation/ar1_noise.hpp"
#include "fit/estimation/residual_diagnostics.hpp"

namespace kesta::fit_detail {

namespace {

// Passes of: the projection at the current phis, then each set's phi for it.
// The projection moves little with phi, so the phis settle within a few.
constexpr int kProjectionPasses = 4;
constexpr int kBisections = 60;

// Kendall's first-order correction for the mean alone, with r standing in
// for phi: the estimate when the Jacobian cannot be used.
double kendall(double r, double m) { return m > 3.0 ? r + (1.0 + 3.0 * r) / m : r; }

double held(double phi) { return std::clamp(phi, -kLargestPhi, kLargestPhi); }

// What the fit's projection takes from one set's expectations: the traces
// of G with the set's centred Jacobian rows, lagged and not.
struct SetRows {
  Eigen::MatrixXd lag;     // Jcᵀ D Jc
  Eigen::MatrixXd square;  // Jcᵀ Jc
};

SetRows set_rows(const std::vector<std::size_t>& index, const ResidualJacobian& j) {
  const auto p = static_cast<Eigen::Index>(j.columns);
  const auto m = static_cast<Eigen::Index>(index.size());
  if (m < 2) return {Eigen::MatrixXd::Zero(p, p), Eigen::MatrixXd::Zero(p, p)};
  Eigen::MatrixXd centred(m, p);
  for (Eigen::Index t = 0; t < m; ++t)
    for (Eigen::Index c = 0; c < p; ++c)
      centred(t, c) = j.rows[index[static_cast<std::size_t>(t)] * j.columns + static_cast<std::size_t>(c)];
  centred.rowwise() -= centred.colwise().mean();
  SetRows out{Eigen::MatrixXd::Zero(p, p), centred.transpose() * centred};
  for (Eigen::Index t = 0; t + 1 < m; ++t) out.lag += centred.row(t).transpose() * centred.row(t + 1);
  out.lag = 0.5 * (out.lag + out.lag.transpose()).eval();
  return out;
}

// G: the pseudo-inverse of the whitened Jacobian's normal matrix, the
// directions the data cannot see left out.
Eigen::MatrixXd projection(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& phi,
                           const ResidualJacobian& j) {
  std::vector<double> rows = j.rows;
  whiten(sets, phi, rows.data(), j.columns);
  const auto p = static_cast<Eigen::Index>(j.columns);
  const Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>> w(
      rows.data(), static_cast<Eigen::Index>(rows.size() / j.columns), p);
  const Eigen::MatrixXd normal = w.transpose() * w;
  const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(normal);
  const Eigen::VectorXd& values = eigen.eigenvalues();
  const double largest = values.cwiseAbs().maxCoeff();
  Eigen::VectorXd inverse = Eigen::VectorXd::Zero(p);
  for (Eigen::Index i = 0; i < p; ++i)
    if (values(i) > largest * 1e-12) inverse(i) = 1.0 / values(i);
  return eigen.eigenvectors() * inverse.asDiagonal() * eigen.eigenvectors().transpose();
}

// The phi in [-kLargestPhi, kLargestPhi] whose expected autocorrelation is r;
// expected_lag1 rises with phi.
double solve_phi(double r, double m, double taken_lag, double taken_square) {
  double low = -kLargestPhi, high = kLargestPhi;
  if (expected_lag1(low, m, taken_lag, taken_square) >= r) return low;
  if (expected_lag1(high, m, taken_lag, taken_square) <= r) return high;
  for (int i = 0; i < kBisections; ++i) {
    const double middle = 0.5 * (low + high);
    (expected_lag1(middle, m, taken_lag, taken_square) < r ? low : high) = middle;
  }
  return 0.5 * (low + high);
}

}  // namespace

double expected_lag1(double phi, double m, double taken_lag, double taken_square) {
  // R: the correlation matrix phi^|i-j|; S = 1ᵀR1, and the first (and last)
  // row sum of R.
  const double sum = m * (1.0 + phi) / (1.0 - phi) - 2.0 * phi * (1.0 - std::pow(phi, m)) / ((1.0 - phi) * (1.0 - phi));
  const double first_row = (1.0 - std::pow(phi, m)) / (1.0 - phi);
  // tr(C D C R) and tr(C R), C the centring matrix.
  const double lag = (m - 1.0) * phi - 2.0 * (sum - first_row) / m + (m - 1.0) * sum / (m * m);
  const double square = m - sum / m;
  // Unit innovations: the marginal variance is 1 / (1 - phi²).
  const double variance = 1.0 / (1.0 - phi * phi);
  const double denominator = variance * square - taken_square;
  if (!(denominator > 0.0)) return phi - (1.0 + 3.0 * phi) / m;
  // The ratio of the expectations, and its own shortfall against the
  // expectation of the ratio, phi / m to first order.
  return (variance * lag - taken_lag) / denominator - phi / m;
}

int effective_degrees_of_freedom(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& phi,
                                 int estimated) {
  double effective = 0.0;
  for (std::size_t s = 0; s < sets.size() && s < phi.size(); ++s)
    effective += static_cast<double>(sets[s].size()) * std::min(1.0, (1.0 - phi[s]) / (1.0 + phi[s]));
  return std::max(1, static_cast<int>(std::floor(effective)) - estimated);
}

std::vector<double> estimate_phi(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& residual,
                                 const ResidualJacobian& jacobian) {
  std::vector<double> r, m, phi;
  r.reserve(sets.size());
  m.reserve(sets.size());
  phi.reserve(sets.size());
  for (const std::vector<std::size_t>& index : sets) {
    std::vector<double> e;
    e.reserve(index.size());
    for (const std::size_t k : index) e.push_back(residual[k]);
    r.push_back(lag1_autocorrelation(e));
    m.push_back(static_cast<double>(e.size()));
    phi.push_back(held(kendall(r.back(), m.back())));
  }
  const bool projected = jacobian.columns > 0 && jacobian.rows.size() == residual.size() * jacobian.columns;
  if (!projected) return phi;
  std::vector<SetRows> rows;
  rows.reserve(sets.size());
  for (const std::vector<std::size_t>& index : sets) rows.push_back(set_rows(index, jacobian));
  for (int pass = 0; pass < kProjectionPasses; ++pass) {
    const Eigen::MatrixXd g = projection(sets, phi, jacobian);
    if (!g.allFinite()) break;
    for (std::size_t s = 0; s < sets.size(); ++s) {
      // Too few observations beside the parameters for the expansion.
      if (m[s] <= static_cast<double>(jacobian.columns) + 3.0) continue;
      const double taken_lag = (g.cwiseProduct(rows[s].lag)).sum();
      const double taken_square = (g.cwiseProduct(rows[s].square)).sum();
      phi[s] = solve_phi(r[s], m[s], taken_lag, taken_square);
    }
  }
  return phi;
}

}  // namespace kesta::fit_detail
