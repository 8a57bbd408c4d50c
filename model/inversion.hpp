#pragma once
// The Gaver-Stehfest inversion besides the step response: the number of terms,
// their weights, ln 2 and the cap on the head exponent. One call prepares it
// for the program, the library, the tests and the benchmarks alike.
#include <array>

#include "kesta/deck.hpp"

namespace kesta {

inline constexpr double EXPMAX_VALUE = 708.0;            // cap on the head exponent
inline constexpr double LN2_VALUE = 0.6931471805599453;  // the double nearest ln 2

struct Inversion {
  int NS = 0;
  std::array<double, NSMAX + 1> V{};  // V(1..NS); entry 0 unused
  double LN2 = 0.0;
  double EXPMAX = 0.0;
};

Inversion prepare_inversion(int NS);

}  // namespace kesta
