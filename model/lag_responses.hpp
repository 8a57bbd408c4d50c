#pragma once
// Step responses at every lag of a deck from one evaluation of the transforms
// per Stehfest term. Every order inverts the same transforms at p = i·ln2/TD,
// so the simulation's order and the orders whose errors are checked share
// those evaluations, the costly part.
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/contour_inversion.hpp"
#include "model/inversion.hpp"
#include "support/filled_series.hpp"

namespace kesta {

// T is the precision the checked orders' errors are kept in: float when many
// orders are held at once over a long series (the errors are judged against
// half a printed digit, which their 7 digits decide), double otherwise.
template <typename T>
struct LagResponses {
  // The simulation's step responses, entry j for lag j (entry 0 unused), bit
  // for bit step_response's; empty when no simulation was asked for.
  FilledSeries<double> RH, RQ;
  // Per checked order, its step responses less the reference's, entry j - 1
  // for lag j: the series the error estimate convolves with the stress changes.
  std::vector<FilledSeries<T>> error_H, error_Q;
};

// Lags 1..lags of the deck. `simulation` may be null (errors only); `reference`
// must hold every lag when `checked` is not empty.
template <typename T>
LagResponses<T> lag_responses(const Deck& deck, const Derived& derived, int lags, const Inversion* simulation,
                              const std::vector<Inversion>& checked, const ContourResponses* reference);

}  // namespace kesta
