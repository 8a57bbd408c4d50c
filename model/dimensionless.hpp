#pragma once
// Dimensionless parameters of the analytical model, derived from the input values
// and printed as their block of the results report.
#include "driver/model_state.hpp"
#include "report/output_unit.hpp"

namespace kesta {

// The two scale values the time loop needs besides the model state.
struct TimeScales {
  double XZEROD = 0.0;  // stream half width over aquifer thickness, XZERO / AB
  double XZERO2 = 0.0;  // square of the stream half width
};

// Sets XD, XLLD, XAAD, GAMMA1, SIGMA1 and SIGMAP and returns XZEROD and XZERO².
TimeScales dimensionless_parameters(ModelState& state);

// The dimensionless-parameters block of the results report.
void write_dimensionless_block(const ModelState& state, const TimeScales& scales, OutputUnit& report);

}  // namespace kesta
