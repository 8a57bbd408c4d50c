#include "fit/estimation/least_squares.hpp"

#include <ceres/ceres.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "fit/estimation/central_difference_cost.hpp"
#include "fit/estimation/step_choice.hpp"

namespace kesta::fit {

namespace {

// Noise-free records still give the parameters to about 1e-8 (the cost then
// falls by orders of magnitude per step, so only the step length stops the
// solver); with noise, the cost stops changing at about 1e-10 of itself,
// where the central differences' own error takes over.
constexpr double kFunctionTolerance = 1e-10;
constexpr double kParameterTolerance = 1e-8;
constexpr double kGradientTolerance = 1e-16;

class ProgressLine : public ceres::IterationCallback {
 public:
  explicit ProgressLine(std::ostream& out) : out_(out) {}
  ceres::CallbackReturnType operator()(const ceres::IterationSummary& s) override {
    char line[128];
    (void)std::snprintf(line, sizeof line, "iteration %3d  cost %.6e  step %.3e%s\n", s.iteration, s.cost, s.step_norm,
                        s.iteration > 0 && !s.step_is_successful ? "  (rejected)" : "");
    out_ << line << std::flush;
    return ceres::SOLVER_CONTINUE;
  }

 private:
  std::ostream& out_;
};

ceres::Solver::Options solver_options(const SolverOptions& options) {
  ceres::Solver::Options o;
  o.minimizer_type = ceres::TRUST_REGION;
  o.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  o.linear_solver_type = ceres::DENSE_QR;
  o.max_num_iterations = options.max_iterations;
  o.function_tolerance = kFunctionTolerance;
  o.parameter_tolerance = kParameterTolerance;
  o.gradient_tolerance = kGradientTolerance;
  o.logging_type = ceres::SILENT;
  o.minimizer_progress_to_stdout = false;
  return o;
}

Eigen::MatrixXd jacobian_at(const CentralDifferenceCost& cost, std::vector<double>& point, std::size_t n) {
  const std::size_t p = point.size();
  std::vector<double> residuals(n);
  std::vector<double> rows(n * p);
  const double* parameter_blocks[] = {point.data()};
  double* jacobian_blocks[] = {rows.data()};
  if (!cost.Evaluate(parameter_blocks, residuals.data(), jacobian_blocks))
    throw std::runtime_error("the model cannot be computed around the estimate");
  Eigen::MatrixXd j(n, p);
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t i = 0; i < p; ++i) j(k, i) = rows[k * p + i];
  return j;
}

void compute_covariance(ceres::Problem& problem, double* block, LeastSquaresFit& fit) {
  const int p = static_cast<int>(fit.internal.size());
  if (fit.degrees_of_freedom <= 0) {
    fit.covariance_problem = "there are no more observations than determined parameters";
    return;
  }
  ceres::Covariance::Options options;
  // The singular value decomposition drops exactly the directions the data
  // cannot see, which leaves the pseudo-inverse over them.
  options.algorithm_type = ceres::DENSE_SVD;
  options.null_space_rank = fit.null_space.rank_deficiency();
  ceres::Covariance covariance(options);
  const std::vector<std::pair<const double*, const double*>> blocks = {{block, block}};
  if (!covariance.Compute(blocks, &problem)) {
    fit.covariance_problem = "the Jacobian at the estimate is too ill-conditioned for a covariance";
    return;
  }
  std::vector<double> c(static_cast<std::size_t>(p * p));
  covariance.GetCovarianceBlock(block, block, c.data());
  const double variance = fit.ssr / fit.degrees_of_freedom;
  fit.covariance.resize(p, p);
  for (int a = 0; a < p; ++a)
    for (int b = 0; b < p; ++b)
      fit.covariance(a, b) =
          variance * c[static_cast<std::size_t>(a) * static_cast<std::size_t>(p) + static_cast<std::size_t>(b)];
}

}  // namespace

LeastSquaresFit fit_least_squares(const std::vector<FreeParameter>& parameters, const Observed& observed,
                                  const BatchModel& model, const SolverOptions& options) {
  const std::size_t p = parameters.size();
  const std::size_t n = observed.value.size();
  LeastSquaresFit fit;
  fit.internal.resize(p);
  for (std::size_t i = 0; i < p; ++i) fit.internal[i] = to_internal(parameters[i].scale, parameters[i].initial);

  const StepChoice step = choose_step(parameters, fit.internal, observed, model);
  fit.relative_step = step.relative_step;
  auto* cost = new CentralDifferenceCost(parameters, observed, model, step.relative_step);
  ceres::Problem problem;  // owns the cost function
  problem.AddResidualBlock(cost, nullptr, fit.internal.data());
  for (std::size_t i = 0; i < p; ++i) {
    const int index = static_cast<int>(i);
    if (std::isfinite(parameters[i].min))
      problem.SetParameterLowerBound(fit.internal.data(), index, to_internal(parameters[i].scale, parameters[i].min));
    if (std::isfinite(parameters[i].max))
      problem.SetParameterUpperBound(fit.internal.data(), index, to_internal(parameters[i].scale, parameters[i].max));
  }

  {
    std::vector<double> residuals(n);
    const double* blocks[] = {fit.internal.data()};
    if (!cost->Evaluate(blocks, residuals.data(), nullptr))
      throw std::runtime_error("the model cannot be computed at the initial values");
  }

  ceres::Solver::Options solver = solver_options(options);
  std::optional<ProgressLine> progress;
  if (options.progress) {
    progress.emplace(*options.progress);
    solver.callbacks.push_back(&*progress);
  }
  ceres::Solver::Summary summary;
  ceres::Solve(solver, &problem, &summary);

  fit.iterations = summary.num_successful_steps + summary.num_unsuccessful_steps;
  fit.converged = summary.termination_type == ceres::CONVERGENCE;
  fit.stop_reason = summary.message;
  fit.estimate = cost->natural(fit.internal.data());
  fit.jacobian = jacobian_at(*cost, fit.internal, n);
  fit.simulated = cost->last_simulated();
  fit.residual.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    fit.residual[k] = observed.weight[k] * (fit.simulated[k] - observed.value[k]);
    fit.ssr += fit.residual[k] * fit.residual[k];
  }
  fit.null_space = null_space(fit.jacobian);
  const int determined = static_cast<int>(p) - fit.null_space.rank_deficiency();
  fit.degrees_of_freedom = static_cast<int>(n) - determined;
  compute_covariance(problem, fit.internal.data(), fit);
  fit.parameter_sets = cost->parameter_sets();
  return fit;
}

}  // namespace kesta::fit
