#pragma once
// The directions in parameter space along which the simulated values do not
// change: what the data cannot tell apart.
#include <Eigen/Core>
#include <vector>

namespace kesta::fit_detail {

struct NullSpace {
  // p x r, one unit direction per column, in solver coordinates (log of a
  // positive parameter). r = 0 when the data determine every parameter.
  Eigen::MatrixXd basis;
  // Parameters that move along the null space: their own values are not determined.
  std::vector<bool> undetermined;

  int rank_deficiency() const { return static_cast<int>(basis.cols()); }
};

// From the Jacobian of the residuals (n x p) with its columns scaled to unit
// length, so that the test does not depend on the parameters' units.
NullSpace null_space(const Eigen::MatrixXd& jacobian);

}  // namespace kesta::fit_detail
