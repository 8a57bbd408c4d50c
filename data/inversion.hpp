#pragma once
// What the Gaver-Stehfest inversion needs besides the step response: the number
// of terms, their weights, ln 2 and the cap on the head exponent.
#include <array>

#include "kesta/deck.hpp"

namespace kesta {

struct Inversion {
  int NS = 0;
  std::array<double, NSMAX + 1> V{};  // V(1..NS); entry 0 unused
  double LN2 = 0.0;
  double EXPMAX = 0.0;
};

}  // namespace kesta
