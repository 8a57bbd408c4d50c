#include "fit/estimation/scale.hpp"

#include <cmath>

namespace kesta::fit_detail {

double to_internal(Scale scale, double value) { return scale == Scale::Log ? std::log(value) : value; }

double to_natural(Scale scale, double internal) { return scale == Scale::Log ? std::exp(internal) : internal; }

}  // namespace kesta::fit_detail
