#pragma once
// The simulation by the contour inversion: the step responses of every lag
// inverted along the contour, superposed over the stress series, by FFT
// convolution from a few thousand lags on.
#include "kesta/accuracy.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/superposition.hpp"

namespace kesta {

// From this many lags on the convolution is faster than the sums in order
// (BM_ContourSums, one thread: 1.14 ms in order against 0.79 ms at 4096
// steps, 0.31 against 0.40 at 2048).
inline constexpr int kConvolveFrom = 4096;

Results superpose_by_contour(const Deck& deck, const Derived& derived);

// The console's run: the results and an estimate of their error at every step
// (NS 0), for the check of the printed digits. The estimate is the standard
// contour's responses less a finer contour's, carried over the stress changes
// as the results are, plus the convolution's rounding bound.
struct ContourRun {
  Results results;
  InversionError error;
  StepRounding rounding;  // the convolution's bound at each step, in the error above
};
ContourRun checked_contour_run(const Deck& deck, const Derived& derived);

}  // namespace kesta
