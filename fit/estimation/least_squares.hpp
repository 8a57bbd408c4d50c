#pragma once
// Levenberg-Marquardt with bounds (Ceres), then the covariance of the
// estimates at the optimum.
#include <Eigen/Core>
#include <ostream>
#include <string>
#include <vector>

#include "fit/estimation/batch_model.hpp"
#include "fit/estimation/null_space.hpp"

namespace kesta::fit {

struct SolverOptions {
  int max_iterations = 100;
  std::ostream* progress = nullptr;  // one line per iteration, or none
};

struct LeastSquaresFit {
  std::vector<double> internal;   // solver coordinates
  std::vector<double> estimate;   // deck values
  std::vector<double> simulated;  // at the estimate, one per observation
  std::vector<double> residual;   // weight * (simulated - observed)
  double ssr = 0.0;               // sum of squared residuals
  int degrees_of_freedom = 0;     // observations less determined parameters
  Eigen::MatrixXd jacobian;       // of the residuals, n x p, solver coordinates
  NullSpace null_space;
  // Of the estimates in solver coordinates, scaled by SSR / degrees of freedom;
  // over the null space the pseudo-inverse. Empty when it cannot be had.
  Eigen::MatrixXd covariance;
  std::string covariance_problem;  // why it is empty

  double relative_step = 0.0;  // of the central differences, chosen against the inversion's noise
  int iterations = 0;
  long parameter_sets = 0;
  bool converged = false;
  std::string stop_reason;
};

// Throws std::runtime_error when the model cannot be computed at the initial values.
LeastSquaresFit fit_least_squares(const std::vector<FreeParameter>& parameters, const Observed& observed,
                                  const BatchModel& model, const SolverOptions& options);

}  // namespace kesta::fit
