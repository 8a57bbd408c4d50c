#pragma once
// Everything the Gaver-Stehfest inversion needs besides the step response: the
// weights for NS terms, ln 2 and the cap on the head exponent. One call prepares
// them for the program, the tests and the benchmarks alike.
#include "driver/model_state.hpp"

namespace kesta {

inline constexpr double EXPMAX_VALUE = 708.0;            // cap on the head exponent
inline constexpr double LN2_VALUE = 0.6931471805599453;  // the double nearest ln 2

// Sets EXPMAX, the weights V(1..NS) and LN2, in that order.
void prepare_inversion(ModelState& state);

}  // namespace kesta
