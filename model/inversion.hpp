#pragma once
// One call prepares the Gaver-Stehfest inversion for the program, the library,
// the tests and the benchmarks alike: the weights for NS terms, ln 2 and the cap
// on the head exponent.
#include "data/inversion.hpp"

namespace kesta {

inline constexpr double EXPMAX_VALUE = 708.0;            // cap on the head exponent
inline constexpr double LN2_VALUE = 0.6931471805599453;  // the double nearest ln 2

Inversion prepare_inversion(int NS);

}  // namespace kesta
