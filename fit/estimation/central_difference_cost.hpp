#pragma once
// The residuals of all observations as one Ceres cost function, with the
// Jacobian by central differences in solver coordinates. Every parameter set
// of one Jacobian goes to the model in one batch.
#include <ceres/cost_function.h>

#include <string>
#include <vector>

#include "fit/estimation/batch_model.hpp"

namespace kesta::fit_detail {

// The default relative step of the central differences: 2 % (see the .cpp).
inline constexpr double kRelativeStep = 0.02;

class CentralDifferenceCost : public ceres::CostFunction {
 public:
  // relative_step: of a logarithm, or of max(|value|, 1) for a linear parameter.
  CentralDifferenceCost(std::vector<FreeParameter> parameters, Observed observed, BatchModel model,
                        double relative_step = kRelativeStep);

  bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override;

  // Residuals and Jacobian rows go out through the AR(1) transform with one
  // phi per observation set; empty: as they are (independent noise).
  void set_ar1(std::vector<double> phi) { phi_ = std::move(phi); }

  // Deck values of a point in solver coordinates.
  std::vector<double> natural(const double* internal) const;
  // Parameter sets handed to the model so far.
  long parameter_sets() const { return parameter_sets_; }
  // The simulated values at the last point evaluated.
  const std::vector<double>& last_simulated() const { return cache_.simulated; }
  // The Jacobian of the untransformed residuals at that point, row-major n x p
  // (empty until a Jacobian was asked for there).
  const std::vector<double>& last_jacobian() const { return cache_.jacobian; }
  // Why Evaluate last returned false: the model could not be computed, or a
  // weighted residual or derivative is not a finite number or too large to be
  // squared and summed, with the observation it belongs to. Empty after a
  // successful evaluation.
  const std::string& last_problem() const { return problem_; }

 private:
  struct Cache {
    std::vector<double> point;
    std::vector<double> simulated;
    std::vector<double> jacobian;  // row-major n x p, empty until asked for
  };

  double step(std::size_t i, double x) const;
  bool fail(std::string problem) const;
  bool residuals_usable(const double* residuals) const;
  bool jacobian_usable(const double* jacobian) const;
  bool fill_jacobian(const std::vector<double>& point, const std::vector<std::vector<double>>& plus,
                     const std::vector<std::vector<double>>& minus, const std::vector<double>& centre) const;

  std::vector<FreeParameter> parameters_;
  Observed observed_;
  BatchModel model_;
  double relative_step_;
  std::vector<double> phi_;
  // Ceres evaluates an accepted point a second time for its Jacobian; the
  // cache saves that second run of the model.
  mutable Cache cache_;
  mutable std::string problem_;
  mutable long parameter_sets_ = 0;
};

}  // namespace kesta::fit_detail
