#pragma once
// Response of the aquifer to a unit step rise of stream stage at dimensionless
// time 0, brought back from the Laplace domain at dimensionless time TD.
#include "driver/model_state.hpp"

namespace kesta {

struct StepResponse {
  double RH = 0.0;  // dimensionless head change at the observation well
  double RQ = 0.0;  // dimensionless head gradient at the streambank (negative after a rise)
};

// A pure function of TD and the model state (NS, IAQ, IXL, XD, XLLD, XAAD,
// GAMMA1, SIGMA1, SIGMAP, V, LN2, EXPMAX), which it only reads.
StepResponse step_response(double TD, const ModelState& state);

}  // namespace kesta
