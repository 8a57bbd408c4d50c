#pragma once
// The input phase: the report banner box, the whole input deck read into the
// model state, then every value echoed and checked in the input summary.
#include "driver/model_state.hpp"
#include "driver/units.hpp"
#include "report/stop.hpp"

namespace kesta {

Outcome read_input_deck(ModelState& state, Units& units);

}  // namespace kesta
