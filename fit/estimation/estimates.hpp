#pragma once
// Estimates with standard errors, 95 % intervals and correlations, from the
// covariance at the optimum.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fit/estimation/batch_model.hpp"
#include "fit/estimation/least_squares.hpp"

namespace kesta::fit {

struct Estimate {
  std::string name;
  Scale scale = Scale::Linear;
  double initial = 0.0;
  double value = 0.0;
  // In deck units; nothing when the data do not determine the parameter.
  std::optional<double> std_error;
  // For a log-scaled parameter symmetric in the logarithm, so never below zero.
  std::optional<std::pair<double, double>> ci95;
  std::string at_bound;  // "min", "max" or empty
};

// The t factor of the 95 % intervals for the fit's degrees of freedom.
double t95(const LeastSquaresFit& fit);

std::vector<Estimate> parameter_estimates(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit);

// Correlation of the estimates; nothing where a parameter is undetermined or
// the covariance is missing.
std::vector<std::vector<std::optional<double>>> correlation_matrix(const LeastSquaresFit& fit);

}  // namespace kesta::fit
