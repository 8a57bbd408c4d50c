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
  // Estimate an AR(1) noise model per observation set with the parameters
  // (generalized least squares); otherwise the residuals count as independent.
  bool ar1 = false;
};

struct LeastSquaresFit {
  std::vector<double> internal;   // solver coordinates
  std::vector<double> estimate;   // deck values
  std::vector<double> simulated;  // at the estimate, one per observation
  std::vector<double> residual;   // weight * (simulated - observed)
  double ssr = 0.0;               // sum of squared residuals
  int degrees_of_freedom = 0;     // observations less determined parameters (less one phi per set with AR(1))
  // Of the residuals, n x p, solver coordinates; with AR(1), of the
  // transformed residuals, which the covariance belongs to.
  Eigen::MatrixXd jacobian;
  std::vector<double> phi;  // AR(1) coefficient per observation set; empty for independent noise
  NullSpace null_space;
  // Of the estimates in solver coordinates, scaled by SSR / degrees of freedom;
  // over the null space the pseudo-inverse. Empty when it cannot be had.
  Eigen::MatrixXd covariance;
  std::string covariance_problem;  // why it is empty
  // As if the residuals were independent: SSR / (n - p) (JᵀJ)⁺ with the
  // untransformed Jacobian. The same as covariance without AR(1).
  Eigen::MatrixXd plain_covariance;
  int plain_degrees_of_freedom = 0;
  int noise_rounds = 0;  // solves of the parameters for successive phi

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
