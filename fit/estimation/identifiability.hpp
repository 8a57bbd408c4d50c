#pragma once
// What the data cannot tell apart, in words: parameters that move along the
// null space of the Jacobian, and pairs whose estimates are strongly correlated,
// each with the combination that the data do fix.
#include <string>
#include <string_view>
#include <vector>

#include "fit/estimation/combination.hpp"

namespace kesta::fit_detail {

// Correlations beyond this in magnitude are reported.
inline constexpr double kStrongCorrelation = 0.95;

// more_data names the records that could separate the parameters, as the start
// of a sentence ("A seepage record").
std::vector<Finding> identifiability_findings(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit,
                                              std::string_view more_data);

}  // namespace kesta::fit_detail
