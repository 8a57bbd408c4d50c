#pragma once
// The solver's coordinate of a parameter.

namespace kesta::fit_detail {

// Positive values are estimated through their logarithm: steps are then
// relative, the bounds stay positive, and a 95 % interval never goes below zero.
enum class Scale { Linear, Log };

double to_internal(Scale scale, double value);
double to_natural(Scale scale, double internal);

}  // namespace kesta::fit_detail
