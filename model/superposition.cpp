#include "model/superposition.hpp"

#include "model/lag_sums.hpp"
#include "model/step_response.hpp"

namespace kesta {
namespace {

// Below this many lags the second core costs more than it saves.
constexpr int PARALLEL_MIN_LAGS = 256;

// Stress values that drive the head and the seepage, by stress type.
void set_stresses(ModelState& state) {
  for (int k = 1; k <= state.NT; ++k) {
    switch (state.ISTRESS) {
      case 0:  // stream-stage fluctuations
        state.HSTRESS[k] = state.STAGE[k];
        state.QSTRESS[k] = state.STAGE[k];
        break;
      case 1:  // recharge or leakage through the aquitard
        state.HSTRESS[k] = state.RECH[k];
        state.QSTRESS[k] = -state.RECH[k];
        break;
      default:  // both
        state.HSTRESS[k] = state.STAGE[k] + state.RECH[k];
        state.QSTRESS[k] = state.STAGE[k] - state.RECH[k];
        break;
    }
  }
}

}  // namespace

void superpose(ModelState& state, const TimeScales& scales) {
  const int NT = state.NT;
  if (NT <= 0) return;
  for (int k = 1; k <= NT; ++k) {
    state.HEAD[k] = state.HINIT;
    state.SEEP[k] = 0.0;
    state.SEEPT[k] = 0.0;
    state.BANK[k] = 0.0;
    state.BANKV[k] = 0.0;
  }
  set_stresses(state);

  // The change of stress over interval m, per unit time, acts as a step at its start.
  for (int k = 2; k <= NT; ++k) {
    state.HRATE[k - 1] = (state.HSTRESS[k] - state.HSTRESS[k - 1]) / state.DELT;
    state.QRATE[k - 1] = (state.QSTRESS[k] - state.QSTRESS[k - 1]) / state.DELT;
  }

  // The step response depends on the lag alone: once per lag, reused by every step.
  const int lags = NT - 1;
  if (lags < 1) return;
  const auto size = static_cast<std::size_t>(lags) + 1;
  Series RH(size, 0.0);
  Series RQ(size, 0.0);
  const double storage_scale = state.AS * scales.XZERO2;
#pragma omp parallel for schedule(static) if (lags >= PARALLEL_MIN_LAGS)
  for (int j = 1; j <= lags; ++j) {
    const double TD = (state.AK * (static_cast<double>(j) * state.DELT)) / storage_scale;
    const StepResponse response = step_response(TD, state);
    RH[j] = response.RH;
    RQ[j] = response.RQ;
  }

  Series SH(size, 0.0);
  Series SQ(size, 0.0);
  lag_sums(state.HRATE, RH, lags, SH);
  lag_sums(state.QRATE, RQ, lags, SQ);

  for (int i = 1; i <= lags; ++i) {
    state.HEAD[i + 1] = SH[i] * state.DELT + state.HEAD[i + 1];
    state.SEEP[i + 1] = (SQ[i] * (state.AK / scales.XZEROD)) * state.DELT;
    state.SEEPT[i + 1] = (2.0 * state.SEEP[i + 1]) * state.XSTREAM;
    // Seepage that leaves the aquifer for the stream empties bank storage.
    state.BANK[i + 1] = state.BANK[i] - state.SEEP[i + 1] * state.DELT;
    state.BANKV[i + 1] = state.XSTREAM * (2.0 * state.BANK[i + 1]);
  }
}

}  // namespace kesta
