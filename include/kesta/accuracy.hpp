#pragma once
// The Gaver-Stehfest inversion's own error in the printed head and seepage,
// estimated against an independent inversion of the same Laplace-domain
// functions, and the number of terms that prints correct digits for a deck.
#include <vector>

namespace kesta {

// One entry per time step, indexed as Results: the printed value minus the
// value an exact inversion would give (the first step, the initial state, has
// none). Estimated to about 1e-12 of the stress changes' effect.
struct InversionError {
  int NS = 0;                   // the number of Stehfest terms these errors belong to
  std::vector<double> head;     // L
  std::vector<double> seepage;  // per unit length of stream, L²/T
};

// The order that prints the head and seepage of a deck nearest to correct.
struct NsAdvice {
  int NS = 0;          // from NS_SEARCH_FIRST to NS_SEARCH_LAST
  int values_off = 0;  // printed head and seepage values that still err by more
                       // than half a unit of their last digit at that NS (0: none)
};

inline constexpr int NS_SEARCH_FIRST = 6;
inline constexpr int NS_SEARCH_LAST = 18;

}  // namespace kesta
