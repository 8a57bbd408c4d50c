#pragma once
// The solver's coordinate of a parameter.

#include "kesta/fit_summary.hpp"

namespace kesta::fit_detail {

double to_internal(Scale scale, double value);
double to_natural(Scale scale, double internal);

}  // namespace kesta::fit_detail
