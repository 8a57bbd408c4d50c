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
