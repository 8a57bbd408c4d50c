#pragma once
// Levenberg-Marquardt with bounds (Ceres), then the covariance of the
// estimates at the optimum.
#include <Eigen/Core>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fit/estimation/batch_model.hpp"
#include "fit/estimation/null_space.hpp"

namespace kesta::fit_detail {

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
  // Of Student's t for intervals and bands: with AR(1), the effective number
  // of independent observations, m (1 - phi) / (1 + phi) per set, less the
  // same; otherwise degrees_of_freedom.
  int interval_degrees_of_freedom = 0;
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
  // The Gauss-Newton step from the estimate, solver coordinates: next to zero
  // at a minimum, large where the solver stopped short of one.
  std::vector<double> open_step;

  double relative_step = 0.0;  // of the central differences, chosen against the inversion's noise
  int iterations = 0;
  long parameter_sets = 0;
  bool converged = false;
  std::string stop_reason;
};

// The fit cannot be computed: the model fails, or a weighted residual or
// derivative is not a finite number (or too large to square and sum). The
// message names the observation. at_start: at the initial values, before any
// step, so that the input itself is at fault.
class ComputationFailure : public std::runtime_error {
 public:
  ComputationFailure(const std::string& message, bool at_start) : std::runtime_error(message), at_start_(at_start) {}
  bool at_start() const { return at_start_; }

 private:
  bool at_start_;
};

// Throws ComputationFailure when the model or the residuals cannot be
// computed at the initial values (at_start) or at the estimate.
LeastSquaresFit fit_least_squares(const std::vector<FreeParameter>& parameters, const Observed& observed,
                                  const BatchModel& model, const SolverOptions& options);

}  // namespace kesta::fit_detail
