#pragma once
// How far the residuals of one record look like independent noise: lag-1
// autocorrelation, the Durbin-Watson statistic and a runs test of their signs.
#include <span>
#include <vector>

#include "kesta/fit_summary.hpp"

namespace kesta::fit_detail {

// Lag-1 autocorrelation beyond this makes standard errors that treat the
// residuals as independent too small to trust.
inline constexpr double kStrongAutocorrelation = 0.3;

// A runs test this improbable (two-sided) finds the signs far from
// independent whatever the residuals' sizes: one gross outlier can hide any
// lag-1 autocorrelation, but not the runs.
inline constexpr double kImprobableRuns = 0.001;

// A residual this many times the RMS of the other residuals of its record is
// a gross outlier. For independent normal errors the ratio follows Student's t
// with m - 1 degrees of freedom for a record of m: beyond 6 with the chance
// 5.6e-8 per observation at m = 80, 2.0e-4 at m = 10 (numerical integration
// of the t density).
inline constexpr double kGrossOutlier = 6.0;

// Residuals in time order.
ResidualDiagnostics diagnose_residuals(std::span<const double> residuals);

// Each residual over the RMS of the others of the same record (the one itself
// left out, so that an outlier does not hide itself by inflating the scale).
// Infinite where every other residual is zero and this one is not; zero for a
// record of fewer than three residuals, which cannot tell an outlier apart.
std::vector<double> standardized_residuals(std::span<const double> residuals);

// The lag-1 autocorrelation alone: the sum of products of neighbours over the
// sum of squares, both about the mean.
double lag1_autocorrelation(std::span<const double> residuals);

}  // namespace kesta::fit_detail
