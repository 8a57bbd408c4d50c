#pragma once
// Bands on a model's output series by the delta method: the series'
// derivatives by the parameters (solver coordinates) carry the parameters'
// covariance over to the series, and a record's noise widens that to the
// spread of a future observation.
#include <Eigen/Core>
#include <cstddef>
#include <vector>

namespace kesta::fit_detail {

// The derivatives of a series of m values by p parameters, m x p, from the
// series at x + step_i and x - step_i along each parameter i (central
// differences, as the fit's Jacobian is taken).
Eigen::MatrixXd central_jacobian(const std::vector<std::vector<double>>& plus,
                                 const std::vector<std::vector<double>>& minus, const std::vector<double>& step);

// The variance of each value of the series, the row's G C Gᵀ. Parameters
// marked `held` count as fixed: their columns take no part.
std::vector<double> delta_variance(const Eigen::MatrixXd& jacobian, const Eigen::MatrixXd& covariance,
                                   const std::vector<bool>& held);

// The variance of one observation's noise in a record, in the record's own
// units: its weighted residuals (`index`: its counted observations in time
// order), with AR(1) noise of coefficient phi the marginal variance
// sigma_u^2 / (1 - phi^2) of the Prais-Winsten innovations, scaled by
// `inflation` (observations over degrees of freedom, as the covariance is)
// and brought back from weighted units by the mean of 1 / weight^2.
double record_noise_variance(const std::vector<std::size_t>& index, const std::vector<double>& residual,
                             const std::vector<double>& weight, double phi, double inflation);

// The lower and upper ends: value ∓ t·sqrt(variance).
struct BandEnds {
  std::vector<double> lower, upper;
};
BandEnds band_ends(const std::vector<double>& value, const std::vector<double>& variance, double t,
                   double extra_variance = 0.0);

}  // namespace kesta::fit_detail
