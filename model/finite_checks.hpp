#pragma once
// Values that pass every check of the deck can still overflow the model: a
// derived parameter, the time scale or a result that is not a finite number is
// found here, before it is used or printed, with the deck values that made it.
#include <optional>
#include <string>

#include "driver/model_state.hpp"
#include "model/dimensionless.hpp"

namespace kesta {

struct NotFinite {
  std::string what;     // the quantity, as the report names it
  std::string look_at;  // the deck values it comes from
};

// The first derived parameter, seepage scale or dimensionless time that is not
// a finite number (a time step must also be above zero, and the inversion's
// largest Laplace variable finite). Reads NS and LN2: called once the
// inversion is prepared.
std::optional<NotFinite> first_non_finite_parameter(const ModelState& state, const TimeScales& scales);

// The first printed value of the results table that is not a finite number, in
// the table's order: step by step, column by column.
std::optional<NotFinite> first_non_finite_result(const ModelState& state);

}  // namespace kesta
