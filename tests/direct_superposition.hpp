#pragma once
// The plain double loop of the stress superposition: one step response for every
// pair of output step and lag, summed in the written order. It is the reference
// that the cached, vectorised and threaded superposition must match bit for bit,
// and the baseline the benchmarks measure against; it never enters the program.
#include "driver/model_state.hpp"
#include "model/dimensionless.hpp"
#include "model/step_response.hpp"

namespace kesta {

inline void superpose_directly(ModelState& state, const TimeScales& scales) {
  const int NT = state.NT;
  for (int k = 1; k <= NT; ++k) {
    state.HEAD[k] = state.HINIT;
    state.SEEP[k] = state.SEEPT[k] = state.BANK[k] = state.BANKV[k] = 0.0;
    const double stage = state.ISTRESS == 1 ? 0.0 : state.STAGE[k];
    const double rech = state.ISTRESS == 0 ? 0.0 : state.RECH[k];
    state.HSTRESS[k] = state.ISTRESS == 0 ? stage : state.ISTRESS == 1 ? rech : stage + rech;
    state.QSTRESS[k] = state.ISTRESS == 0 ? stage : state.ISTRESS == 1 ? -rech : stage - rech;
  }
  for (int k = 2; k <= NT; ++k) {
    state.HRATE[k - 1] = (state.HSTRESS[k] - state.HSTRESS[k - 1]) / state.DELT;
    state.QRATE[k - 1] = (state.QSTRESS[k] - state.QSTRESS[k - 1]) / state.DELT;
  }
  for (int i = 1; i <= NT - 1; ++i) {
    double SH = 0.0, SQ = 0.0;
    for (int j = 1; j <= i; ++j) {
      const double TD = (state.AK * (j * state.DELT)) / (state.AS * scales.XZERO2);
      const StepResponse r = step_response(TD, state);
      SH = SH + state.HRATE[i - j + 1] * r.RH;
      SQ = SQ + state.QRATE[i - j + 1] * r.RQ;
    }
    state.HEAD[i + 1] = SH * state.DELT + state.HEAD[i + 1];
    state.SEEP[i + 1] = (SQ * (state.AK / scales.XZEROD)) * state.DELT;
    state.SEEPT[i + 1] = (2.0 * state.SEEP[i + 1]) * state.XSTREAM;
    state.BANK[i + 1] = state.BANK[i] - state.SEEP[i + 1] * state.DELT;
    state.BANKV[i + 1] = state.XSTREAM * (2.0 * state.BANK[i + 1]);
  }
}

}  // namespace kesta
