#pragma once
// The AR(1) coefficient of each observation set, from the fit's residuals.
//
// A fit's residuals are the noise with part of it taken out: the mean of
// each set by the autocorrelation itself, and whatever the Jacobian's columns
// can follow by the parameters. Correlated noise looks like a slow signal,
// so both take more from it than from independent noise, and the residuals'
// lag-1 autocorrelation falls short of phi: by about (1 + 3 phi) / m for a
// mean alone, by more with every smooth parameter. Short records with
// strongly correlated errors would then get bands too narrow. The estimate
// here is the phi whose residuals are expected to show the observed
// autocorrelation, for this fit's own Jacobian.
#include <cstddef>
#include <vector>

namespace kesta::fit_detail {

// The Jacobian of the untransformed weighted residuals, row-major, `columns`
// values per observation; columns = 0 for a fit with nothing estimated.
struct ResidualJacobian {
  const std::vector<double>& rows;
  std::size_t columns = 0;
};

// sets: the indices of each set's counted observations in time order.
// Each phi is held within ±kLargestPhi.
std::vector<double> estimate_phi(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& residual,
                                 const ResidualJacobian& jacobian);

// What the residuals of m observations of AR(1) noise of coefficient phi and
// unit innovations, after a fit of the Jacobian's columns, are expected to
// show as their lag-1 autocorrelation about their mean, to first order in
// 1/m: `taken_lag` and `taken_square` are tr(G Jcᵀ D Jc) and tr(G Jcᵀ Jc),
// what the fit's projection G takes out of the numerator's and the
// denominator's expectation (Jc: the set's Jacobian rows about their mean; D:
// half the sum of the lag-1 shifts).
double expected_lag1(double phi, double m, double taken_lag, double taken_square);

// Correlated errors repeat part of each other, so what a set of m tells of
// the parameters and of its own spread is that of about m (1 - phi) / (1 +
// phi) independent observations (never more than m). Their sum over the
// sets, less `estimated` (the parameters and phis), at least 1: the degrees
// of freedom of Student's t for intervals and bands. With phi estimated from
// a short record, the t of all n observations gives bands too narrow.
int effective_degrees_of_freedom(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& phi,
                                 int estimated);

}  // namespace kesta::fit_detail
