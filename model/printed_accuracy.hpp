#pragma once
// Whether the printed head and seepage keep their digits against the
// inversion's estimated error, and which number of Stehfest terms does best.
#include <vector>

#include "kesta/accuracy.hpp"
#include "kesta/results.hpp"
#include "model/checked_simulation.hpp"

namespace kesta {

// Significant digits of the results table: head D11.5, seepage D10.4.
inline constexpr int kHeadDigits = 5;
inline constexpr int kSeepageDigits = 4;

// Half a unit in the last of `digits` significant digits of a value as the D
// editing prints it (0.5·10^(e - digits) for 0.d…d·10^e after rounding).
double half_unit(double value, int digits);

// One column of the table. A value is off when its error exceeds half a unit of
// its last printed digit; it is noise when the error is larger than what is
// left of the value without it (below the inversion's error floor), its sign too.
struct ColumnCheck {
  int off = 0;                        // values off, noise included
  int noise = 0;                      // of those, values that are noise
  int first_off = -1, last_off = -1;  // steps of the first and last value off but not noise
  int first_noise = -1, last_noise = -1;
  double largest = 0.0;        // largest error of a value off but not noise
  double largest_units = 0.0;  // the same in units of the last printed digit
  double floor = 0.0;          // largest error of a noise value
  double worst = 0.0;          // largest error over half a unit, over all values
};

struct PrintedAccuracy {
  int NS = 0;
  int steps = 0;  // computed steps: all but the first, which is the initial state
  ColumnCheck head, seepage;
  bool all_digits_correct() const { return head.off == 0 && seepage.off == 0; }
};

PrintedAccuracy check_printed(const Results& results, const InversionError& error);

// The orders searched for a better NS: every even one from NS_SEARCH_FIRST to
// NS_SEARCH_LAST (an odd order's last weight is zero, so it prints the next
// lower even order's values).
std::vector<int> searched_orders();

// Tries every searched order of a simulation whose error at its own NS is
// given: the values an order prints are taken as the exact values (results
// less error) plus that order's error. The fewest values off wins, then the
// smallest error against the half unit.
NsAdvice advise_ns(CheckedSimulation& simulation, const InversionError& error, PairConvolution::Workspace& work);

}  // namespace kesta
