#pragma once
// Response of the aquifer to a unit step rise of stream stage at dimensionless time TD.
#include "driver/model_state.hpp"

namespace kesta {

struct StepResponse {
  double RH = 0.0;  // dimensionless head change at the observation well
  double RQ = 0.0;  // dimensionless head gradient at the streambank
};

// A pure function of TD and the (unchanging) model state.
StepResponse step_response(double TD, const ModelState& state);

}  // namespace kesta
