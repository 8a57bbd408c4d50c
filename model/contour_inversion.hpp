#pragma once
// An inversion of the step response's transforms that shares nothing with the
// Gaver-Stehfest sum but the transforms themselves: the Bromwich integral along
// a parabola around the negative real axis (where the transforms' singularities
// lie), summed by the trapezoid rule with complex arithmetic in double precision.
// It is accurate to about 1e-13 of the transform's scale where the Stehfest sum
// of 6 to 20 terms errs by 1e-9 to 1e-3, which makes it the judge of that sum.
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "support/filled_series.hpp"

namespace kesta {

// The unit step response at every lag of the deck, index j = 1..lags at the
// dimensionless time AK·(j·DELT)/(AS·XZERO²) as the superposition computes it
// (entry 0 unused).
struct ContourResponses {
  FilledSeries<double> RH;  // dimensionless head change at the well
  FilledSeries<double> RQ;  // dimensionless head gradient at the streambank
};

ContourResponses contour_responses(const Deck& deck, const Derived& derived, int lags);

// The same on a finer contour, far more accurate and half again as costly:
// the judge of the contour's own error.
ContourResponses reference_responses(const Deck& deck, const Derived& derived, int lags);

}  // namespace kesta
