#include "fit/estimation/least_squares.hpp"

#include <ceres/ceres.h>

#include <Eigen/SVD>
#include <algorithm>

#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "fit/estimation/ar1_noise.hpp"
#include "fit/estimation/ar1_phi.hpp"
#include "fit/estimation/central_difference_cost.hpp"
#include "fit/estimation/step_choice.hpp"

namespace kesta::fit_detail {

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
    throw ComputationFailure("the fit cannot be computed around the estimate: " + cost.last_problem(), false);
  Eigen::MatrixXd j(n, p);
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t i = 0; i < p; ++i) j(k, i) = rows[k * p + i];
  return j;
}

// Rounds of solving for the parameters at a fixed phi and estimating phi
// from the residuals; phi settles within a few.
constexpr int kMostNoiseRounds = 6;
constexpr double kPhiSettled = 0.005;

void compute_covariance(ceres::Problem& problem, double* block, double ssr, LeastSquaresFit& fit) {
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
  const double variance = ssr / fit.degrees_of_freedom;
  fit.covariance.resize(p, p);
  for (int a = 0; a < p; ++a)
    for (int b = 0; b < p; ++b)
      fit.covariance(a, b) =
          variance * c[static_cast<std::size_t>(a) * static_cast<std::size_t>(p) + static_cast<std::size_t>(b)];
  // A Jacobian of very small columns gives variances beyond double precision.
  if (!fit.covariance.allFinite()) {
    fit.covariance.resize(0, 0);
    fit.covariance_problem = "the covariance of the estimates is not a finite number";
  }
}

// SSR / dof times the pseudo-inverse of JᵀJ, the directions the data cannot
// see dropped.
Eigen::MatrixXd plain_covariance(const Eigen::MatrixXd& j, int dropped, double ssr, int dof) {
  if (dof <= 0 || j.cols() == 0 || !j.allFinite()) return {};
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(j, Eigen::ComputeThinV);
  const Eigen::VectorXd& s = svd.singularValues();
  Eigen::VectorXd inverse = Eigen::VectorXd::Zero(s.size());
  for (Eigen::Index i = 0; i < s.size() - dropped; ++i)
    if (s(i) > 0.0) inverse(i) = 1.0 / (s(i) * s(i));
  Eigen::MatrixXd covariance = (ssr / dof) * (svd.matrixV() * inverse.asDiagonal() * svd.matrixV().transpose());
  if (!covariance.allFinite()) return {};
  return covariance;
}

// The least-squares solution of J step = -residuals, the directions of
// singular values at rounding level left out.
std::vector<double> gauss_newton_step(const Eigen::MatrixXd& j, const std::vector<double>& residuals) {
  if (j.cols() == 0 || !j.allFinite()) return std::vector<double>(static_cast<std::size_t>(j.cols()), 0.0);
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(j, Eigen::ComputeThinU | Eigen::ComputeThinV);
  const Eigen::Map<const Eigen::VectorXd> r(residuals.data(), static_cast<Eigen::Index>(residuals.size()));
  const Eigen::VectorXd step = -svd.solve(r);
  std::vector<double> out(step.data(), step.data() + step.size());
  for (double& v : out)
    if (!std::isfinite(v)) v = 0.0;
  return out;
}

std::vector<double> residuals_at(const CentralDifferenceCost& cost, const Observed& observed,
                                 const std::vector<double>& point) {
  const std::size_t n = observed.value.size();
  std::vector<double> residuals(n);
  const double* blocks[] = {point.data()};
  if (!cost.Evaluate(blocks, residuals.data(), nullptr))
    throw ComputationFailure("the fit cannot be computed at the estimate: " + cost.last_problem(), false);
  const std::vector<double>& simulated = cost.last_simulated();
  for (std::size_t k = 0; k < n; ++k) residuals[k] = observed.weight[k] * (simulated[k] - observed.value[k]);
  return residuals;
}

// The Ceres problem over the central-difference cost (which it owns), in the
// solver coordinates of fit.internal, bounded as the parameters are.
void add_bounded_cost(ceres::Problem& problem, CentralDifferenceCost* cost,
                      const std::vector<FreeParameter>& parameters, std::vector<double>& internal) {
  problem.AddResidualBlock(cost, nullptr, internal.data());
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const int index = static_cast<int>(i);
    if (std::isfinite(parameters[i].min))
      problem.SetParameterLowerBound(internal.data(), index, to_internal(parameters[i].scale, parameters[i].min));
    if (std::isfinite(parameters[i].max))
      problem.SetParameterUpperBound(internal.data(), index, to_internal(parameters[i].scale, parameters[i].max));
  }
}

// Before any step: a model that fails here is the input's fault.
void check_start(const CentralDifferenceCost& cost, const std::vector<double>& internal, std::size_t n) {
  std::vector<double> residuals(n);
  const double* blocks[] = {internal.data()};
  if (!cost.Evaluate(blocks, residuals.data(), nullptr))
    throw ComputationFailure("the fit cannot be computed at the initial values: " + cost.last_problem(), true);
}

int solve(const ceres::Solver::Options& solver, ceres::Problem& problem, ceres::Solver::Summary& summary) {
  ceres::Solve(solver, &problem, &summary);
  return summary.num_successful_steps + summary.num_unsuccessful_steps;
}

// AR(1): phi from the residuals, the parameters again for that phi, until
// phi settles; each solve starts where the last ended.
void noise_rounds(const ceres::Solver::Options& solver, ceres::Problem& problem, CentralDifferenceCost& cost,
                  const Observed& observed, LeastSquaresFit& fit, ceres::Solver::Summary& summary) {
  fit.phi.assign(observed.sets.size(), 0.0);
  while (fit.noise_rounds < kMostNoiseRounds) {
    // What the parameters can follow of the noise, to correct phi for it.
    jacobian_at(cost, fit.internal, observed.value.size());
    const std::vector<double> rows = cost.last_jacobian();
    const std::vector<double> phi =
        estimate_phi(observed.sets, residuals_at(cost, observed, fit.internal), {rows, fit.internal.size()});
    double change = 0.0;
    for (std::size_t s = 0; s < phi.size(); ++s) change = std::max(change, std::abs(phi[s] - fit.phi[s]));
    fit.phi = phi;
    if (change < kPhiSettled && fit.noise_rounds > 1) break;
    cost.set_ar1(fit.phi);
    fit.iterations += solve(solver, problem, summary);
    ++fit.noise_rounds;
  }
}

// The estimate, its simulated values, residuals and Jacobian (transformed
// with AR(1)); returns the untransformed Jacobian.
Eigen::MatrixXd take_estimate(const CentralDifferenceCost& cost, const Observed& observed, LeastSquaresFit& fit) {
  const std::size_t n = observed.value.size();
  const std::size_t p = fit.internal.size();
  fit.estimate = cost.natural(fit.internal.data());
  fit.jacobian = jacobian_at(cost, fit.internal, n);
  const std::vector<double>& raw = cost.last_jacobian();
  Eigen::MatrixXd plain_jacobian(n, p);
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t i = 0; i < p; ++i)
      plain_jacobian(static_cast<Eigen::Index>(k), static_cast<Eigen::Index>(i)) = raw[k * p + i];
  fit.simulated = cost.last_simulated();
  fit.residual.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    fit.residual[k] = observed.weight[k] * (fit.simulated[k] - observed.value[k]);
    fit.ssr += fit.residual[k] * fit.residual[k];
  }
  return plain_jacobian;
}

// The residuals the Jacobian belongs to: whitened with AR(1).
std::vector<double> transformed_residuals(const Observed& observed, const LeastSquaresFit& fit) {
  std::vector<double> u = fit.residual;
  if (!fit.phi.empty()) whiten(observed.sets, fit.phi, u.data(), 1);
  return u;
}

// What the Jacobian at the estimate says: the step still open, the directions
// the data cannot see, and the degrees of freedom left.
void diagnose(const Observed& observed, const std::vector<double>& transformed, LeastSquaresFit& fit) {
  fit.open_step = gauss_newton_step(fit.jacobian, transformed);
  fit.null_space = null_space(fit.jacobian);
  const int determined = static_cast<int>(fit.internal.size()) - fit.null_space.rank_deficiency();
  fit.plain_degrees_of_freedom = static_cast<int>(observed.counted()) - determined;
  fit.degrees_of_freedom = fit.plain_degrees_of_freedom - static_cast<int>(fit.phi.size());
  fit.interval_degrees_of_freedom =
      fit.phi.empty() ? fit.degrees_of_freedom
                      : effective_degrees_of_freedom(observed.sets, fit.phi,
                                                     static_cast<int>(observed.counted()) - fit.degrees_of_freedom);
}

// Both covariances: the one that allows for the noise model, through Ceres,
// and the plain one.
void covariances(ceres::Problem& problem, const std::vector<double>& transformed, const Eigen::MatrixXd& plain_jacobian,
                 LeastSquaresFit& fit) {
  double transformed_ssr = fit.ssr;
  if (!fit.phi.empty()) {
    transformed_ssr = 0.0;
    for (const double v : transformed) transformed_ssr += v * v;
  }
  compute_covariance(problem, fit.internal.data(), transformed_ssr, fit);
  fit.plain_covariance =
      plain_covariance(plain_jacobian, fit.null_space.rank_deficiency(), fit.ssr, fit.plain_degrees_of_freedom);
}

}  // namespace

LeastSquaresFit fit_least_squares(const std::vector<FreeParameter>& parameters, const Observed& observed,
                                  const BatchModel& model, const SolverOptions& options) {
  LeastSquaresFit fit;
  for (const FreeParameter& parameter : parameters)
    fit.internal.push_back(to_internal(parameter.scale, parameter.initial));
  fit.relative_step = choose_step(parameters, fit.internal, observed, model).relative_step;
  auto* cost = new CentralDifferenceCost(parameters, observed, model, fit.relative_step);
  ceres::Problem problem;  // owns the cost function
  add_bounded_cost(problem, cost, parameters, fit.internal);
  check_start(*cost, fit.internal, observed.value.size());

  ceres::Solver::Options solver = solver_options(options);
  std::optional<ProgressLine> progress;
  if (options.progress) {
    progress.emplace(*options.progress);
    solver.callbacks.push_back(&*progress);
  }
  ceres::Solver::Summary summary;
  fit.iterations = solve(solver, problem, summary);
  fit.noise_rounds = 1;
  if (options.ar1 && !observed.sets.empty()) noise_rounds(solver, problem, *cost, observed, fit, summary);
  fit.converged = summary.termination_type == ceres::CONVERGENCE;
  fit.stop_reason = summary.message;

  const Eigen::MatrixXd plain_jacobian = take_estimate(*cost, observed, fit);
  const std::vector<double> transformed = transformed_residuals(observed, fit);
  diagnose(observed, transformed, fit);
  covariances(problem, transformed, plain_jacobian, fit);
  fit.parameter_sets = cost->parameter_sets();
  return fit;
}

}  // namespace kesta::fit_detail
