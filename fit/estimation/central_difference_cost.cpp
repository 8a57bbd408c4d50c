#include "fit/estimation/central_difference_cost.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fit/estimation/ar1_noise.hpp"

namespace kesta::fit_detail {

namespace {

// kRelativeStep, 2 %: its truncation error, about
// 1e-4 of a derivative, slows no step of the solver and moves no standard error
// noticeably. A small step would instead magnify the model's rounding (up to
// 1e-9 of a head with NS = 16, 1e-6 with NS = 20) into the derivatives, and
// parameters that the data see only together (AK and AS through AK/AS) would
// no longer show as exactly parallel columns: steps of the same size in both
// give differences that cancel exactly, whatever their size.

// A sum of squares of weighted residuals, or of one parameter's derivatives,
// beyond this is refused: the solver multiplies the two sums' square roots
// (the gradient), which then still stays inside double precision.
constexpr double kLargestSumOfSquares = 1e300;

std::string number_text(double v) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

}  // namespace

CentralDifferenceCost::CentralDifferenceCost(std::vector<FreeParameter> parameters, Observed observed, BatchModel model,
                                             double relative_step)
    : parameters_(std::move(parameters)),
      observed_(std::move(observed)),
      model_(std::move(model)),
      relative_step_(relative_step) {
  set_num_residuals(static_cast<int>(observed_.value.size()));
  mutable_parameter_block_sizes()->push_back(static_cast<int>(parameters_.size()));
}

std::vector<double> CentralDifferenceCost::natural(const double* internal) const {
  std::vector<double> out(parameters_.size());
  for (std::size_t i = 0; i < parameters_.size(); ++i) out[i] = to_natural(parameters_[i].scale, internal[i]);
  return out;
}

double CentralDifferenceCost::step(std::size_t i, double x) const {
  // A logarithm's step is already relative.
  if (parameters_[i].scale == Scale::Log) return relative_step_;
  return relative_step_ * std::max(std::abs(x), 1.0);
}

bool CentralDifferenceCost::fail(std::string problem) const {
  problem_ = std::move(problem);
  return false;
}

// Ceres takes a false return as a point it cannot use: a trial step there is
// rejected, and at the start the solve ends. Non-finite numbers would instead
// run on into the covariance's decomposition.
bool CentralDifferenceCost::residuals_usable(const double* residuals) const {
  const std::size_t n = observed_.value.size();
  double squares = 0.0;
  std::size_t largest = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (!std::isfinite(cache_.simulated[k]))
      return fail("the simulated value at " + observed_.name(k) + " is " + number_text(cache_.simulated[k]));
    if (!std::isfinite(residuals[k]))
      return fail("the weighted residual at " + observed_.name(k) + " is " + number_text(residuals[k]));
    squares += residuals[k] * residuals[k];
    if (std::abs(residuals[k]) > std::abs(residuals[largest])) largest = k;
  }
  if (!(squares <= kLargestSumOfSquares))
    return fail("the squared weighted residuals sum beyond " + number_text(kLargestSumOfSquares) + " (the largest, " +
                number_text(residuals[largest]) + ", at " + observed_.name(largest) + ")");
  return true;
}

bool CentralDifferenceCost::jacobian_usable(const double* jacobian) const {
  const std::size_t p = parameters_.size();
  const std::size_t n = observed_.value.size();
  for (std::size_t i = 0; i < p; ++i) {
    double squares = 0.0;
    std::size_t largest = 0;
    for (std::size_t k = 0; k < n; ++k) {
      const double d = jacobian[k * p + i];
      if (!std::isfinite(d))
        return fail("the weighted derivative by " + parameters_[i].name + " at " + observed_.name(k) + " is " +
                    number_text(d));
      squares += d * d;
      if (std::abs(d) > std::abs(jacobian[largest * p + i])) largest = k;
    }
    if (!(squares <= kLargestSumOfSquares))
      return fail("the squared weighted derivatives by " + parameters_[i].name + " sum beyond " +
                  number_text(kLargestSumOfSquares) + " (the largest, " + number_text(jacobian[largest * p + i]) +
                  ", at " + observed_.name(largest) + ")");
  }
  return true;
}

bool CentralDifferenceCost::Evaluate(double const* const* parameters, double* residuals, double** jacobians) const {
  problem_.clear();
  const std::size_t p = parameters_.size();
  const std::size_t n = observed_.value.size();
  const std::vector<double> point(parameters[0], parameters[0] + p);
  const bool want_jacobian = jacobians != nullptr && jacobians[0] != nullptr;
  const bool have_centre = cache_.point == point && !cache_.simulated.empty();

  if (!have_centre || (want_jacobian && cache_.jacobian.empty())) {
    std::vector<std::vector<double>> sets;
    if (!have_centre) sets.push_back(natural(point.data()));
    if (want_jacobian) {
      for (std::size_t i = 0; i < p; ++i) {
        for (const double sign : {1.0, -1.0}) {
          std::vector<double> shifted = point;
          shifted[i] += sign * step(i, point[i]);
          sets.push_back(natural(shifted.data()));
        }
      }
    }
    std::vector<std::vector<double>> values = model_(sets);
    parameter_sets_ += static_cast<long>(sets.size());
    std::size_t next = 0;
    if (!have_centre) {
      if (values[0].size() != n) return fail("the model cannot be computed there");
      cache_ = Cache{point, std::move(values[0]), {}};
      next = 1;
    }
    if (want_jacobian) {
      std::vector<std::vector<double>> plus, minus;
      for (std::size_t i = 0; i < p; ++i) {
        plus.push_back(std::move(values[next++]));
        minus.push_back(std::move(values[next++]));
      }
      if (!fill_jacobian(point, plus, minus, cache_.simulated))
        return fail("the model cannot be computed on either side of it");
    }
  }
  for (std::size_t k = 0; k < n; ++k) residuals[k] = observed_.weight[k] * (cache_.simulated[k] - observed_.value[k]);
  if (want_jacobian) std::copy(cache_.jacobian.begin(), cache_.jacobian.end(), jacobians[0]);
  if (!phi_.empty()) {
    whiten(observed_.sets, phi_, residuals, 1);
    if (want_jacobian) whiten(observed_.sets, phi_, jacobians[0], p);
  }
  return residuals_usable(residuals) && (!want_jacobian || jacobian_usable(jacobians[0]));
}

bool CentralDifferenceCost::fill_jacobian(const std::vector<double>& point,
                                          const std::vector<std::vector<double>>& plus,
                                          const std::vector<std::vector<double>>& minus,
                                          const std::vector<double>& centre) const {
  const std::size_t p = parameters_.size();
  const std::size_t n = observed_.value.size();
  std::vector<double> jacobian(n * p);
  for (std::size_t i = 0; i < p; ++i) {
    const double h = step(i, point[i]);
    const bool up = plus[i].size() == n;
    const bool down = minus[i].size() == n;
    // Next to the edge of the valid range one side may fail: take the other, one-sided.
    if (!up && !down) return false;
    for (std::size_t k = 0; k < n; ++k) {
      double slope = 0.0;
      if (up && down)
        slope = (plus[i][k] - minus[i][k]) / (2.0 * h);
      else if (up)
        slope = (plus[i][k] - centre[k]) / h;
      else
        slope = (centre[k] - minus[i][k]) / h;
      jacobian[k * p + i] = observed_.weight[k] * slope;
    }
  }
  cache_.jacobian = std::move(jacobian);
  return true;
}

}  // namespace kesta::fit_detail
