#include "fit/estimation/null_space.hpp"

#include <Eigen/SVD>
#include <cmath>

namespace kesta::fit_detail {

namespace {

// A singular value of the unit-column Jacobian below this is taken as zero.
// Two columns at this distance are parallel to 1 - 5e-7 in correlation: the
// standard error along that direction would be 1000 times that of the best
// determined one. Central differences resolve exactly parallel columns to about
// 1e-8 with NS = 10, 1e-5 with NS = 16 and 2e-4 with NS = 18, where the
// inversion's rounding grows; with NS = 20 they show as a correlation of 1.
constexpr double kSingularTolerance = 1e-3;
// A column this much smaller than the largest carries only rounding.
constexpr double kZeroColumn = 1e-12;
// A parameter with at least this weight in a unit null direction moves with it.
constexpr double kInvolved = 1e-3;

}  // namespace

NullSpace null_space(const Eigen::MatrixXd& jacobian) {
  const Eigen::Index p = jacobian.cols();
  Eigen::VectorXd norms = jacobian.colwise().norm().transpose();
  const double largest = p > 0 ? norms.maxCoeff() : 0.0;
  Eigen::MatrixXd unit = jacobian;
  for (Eigen::Index j = 0; j < p; ++j) {
    if (norms(j) <= kZeroColumn * largest) {
      unit.col(j).setZero();
      norms(j) = 0.0;
    } else {
      unit.col(j) /= norms(j);
    }
  }
  NullSpace out;
  out.undetermined.assign(static_cast<std::size_t>(p), false);
  if (p == 0) return out;

  // A column of zeros has the singular value zero with its own unit vector.
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(unit, Eigen::ComputeFullV);
  const Eigen::VectorXd& s = svd.singularValues();
  std::vector<Eigen::VectorXd> directions;
  // Involvement is the length of a parameter's row of the null basis, which
  // does not depend on how the basis is turned within the null space.
  Eigen::VectorXd involvement = Eigen::VectorXd::Zero(p);
  for (Eigen::Index k = 0; k < p; ++k) {
    const double sk = k < s.size() ? s(k) : 0.0;
    if (sk >= kSingularTolerance) continue;
    const Eigen::VectorXd u = svd.matrixV().col(k);
    Eigen::VectorXd v(p);
    // Back to solver coordinates: a step u in unit columns is u / norm in the parameter.
    for (Eigen::Index j = 0; j < p; ++j) v(j) = norms(j) > 0.0 ? u(j) / norms(j) : u(j);
    involvement += u.cwiseAbs2();
    directions.push_back(v.normalized());
  }
  for (Eigen::Index j = 0; j < p; ++j)
    out.undetermined[static_cast<std::size_t>(j)] = std::sqrt(involvement(j)) >= kInvolved;
  out.basis.resize(p, static_cast<Eigen::Index>(directions.size()));
  for (std::size_t k = 0; k < directions.size(); ++k) out.basis.col(static_cast<Eigen::Index>(k)) = directions[k];
  return out;
}

}  // namespace kesta::fit_detail
