#pragma once
// Estimates with standard errors, 95 % intervals and correlations, from the
// covariance at the optimum.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fit/estimation/batch_model.hpp"
#include "fit/estimation/least_squares.hpp"

namespace kesta::fit_detail {

struct Estimate {
  std::string name;
  Scale scale = Scale::Linear;
  double initial = 0.0;
  double value = 0.0;
  // In deck units; nothing when the data do not determine the parameter.
  std::optional<double> std_error;
  // For a log-scaled parameter symmetric in the logarithm, so never below zero.
  std::optional<std::pair<double, double>> ci95;
  // As if the residuals were independent (the same as above without a noise model).
  std::optional<double> plain_std_error;
  std::optional<std::pair<double, double>> plain_ci95;
  // "min", "max" or empty. An estimate at its bound has no meaningful
  // standard error or interval: both are left out.
  std::string at_bound;
  // The solver left it exactly where it started (not on a bound) although the
  // Gauss-Newton step from there still moves it by more than kStillOpen: a
  // gross misfit swamped what the data say. (A start that is already the
  // minimum leaves no such step.)
  bool unmoved = false;
  // Its 95 % interval does not close: an end is infinite, or zero on a log
  // scale. The data do not bound it.
  bool unbounded = false;
};

// An estimate this close to a bound, relative on its solver scale
// (|x - bound| <= kOnBound * max(1, |bound|)), sits on it.
inline constexpr double kOnBound = 1e-6;

// The step on the solver scale (a logarithm, or relative to max(1, |value|))
// beyond which a parameter left at its start was not at a minimum.
inline constexpr double kStillOpen = 1e-3;

// The t factor of the 95 % intervals for the fit's degrees of freedom.
double t95(const LeastSquaresFit& fit);

// An estimate whose scaled distance to a bound is at most kOnBound.
bool on_bound(double internal, double bound_internal);

std::vector<Estimate> parameter_estimates(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit);

// Correlation of the estimates; nothing where a parameter is undetermined or
// the covariance is missing.
std::vector<std::vector<std::optional<double>>> correlation_matrix(const LeastSquaresFit& fit);

}  // namespace kesta::fit_detail
