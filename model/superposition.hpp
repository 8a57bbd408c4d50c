#pragma once
// Superposition of step responses over the stress series: fills HEAD, SEEP,
// SEEPT, BANK and BANKV for time steps 1..NT.
#include "driver/model_state.hpp"
#include "model/dimensionless.hpp"

namespace kesta {

void superpose(ModelState& state, const TimeScales& scales);

}  // namespace kesta
