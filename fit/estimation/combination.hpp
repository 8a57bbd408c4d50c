#pragma once
// A combination of parameters that the data determine, such as AK/AS: a
// linear combination in solver coordinates, that is a product of powers when
// every parameter in it is log-scaled.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fit/estimation/batch_model.hpp"
#include "fit/estimation/least_squares.hpp"

namespace kesta::fit_detail {

// Scales the coefficients so that the first is 1, snaps them to simple
// fractions (halves, thirds, quarters) where they are that close, and
// evaluates the combination at the estimate.
Combination make_combination(std::vector<double> coefficients, const std::vector<FreeParameter>& parameters,
                             const LeastSquaresFit& fit);

}  // namespace kesta::fit_detail
