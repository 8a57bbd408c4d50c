#pragma once
// How far the residuals of one record look like independent noise: lag-1
// autocorrelation, the Durbin-Watson statistic and a runs test of their signs.
#include <span>

namespace kesta::fit {

// Lag-1 autocorrelation beyond this makes standard errors that treat the
// residuals as independent too small to trust.
inline constexpr double kStrongAutocorrelation = 0.3;

struct ResidualDiagnostics {
  double lag1 = 0.0;           // lag-1 autocorrelation, -1 to 1
  double durbin_watson = 2.0;  // about 2(1 - lag1): 2 for independent residuals, near 0 for a slow drift
  int runs = 0;                // runs of residuals of one sign (zeros skipped)
  double runs_expected = 0.0;  // for independent residuals with these counts of signs
  double runs_z = 0.0;         // (runs - expected) / standard deviation; negative: too few sign changes
  double runs_p = 1.0;         // two-sided, normal approximation; 1 when there are too few signs
};

// Residuals in time order.
ResidualDiagnostics diagnose_residuals(std::span<const double> residuals);

// The lag-1 autocorrelation alone: the sum of products of neighbours over the
// sum of squares, both about the mean.
double lag1_autocorrelation(std::span<const double> residuals);

}  // namespace kesta::fit
