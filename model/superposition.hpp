#pragma once
// Superposition of step responses over the stress series: head, seepage, total
// seepage, bank storage and bank-storage volume for every time step.
#include <span>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/inversion.hpp"

namespace kesta {

// NT entries of each series (none for NT <= 0). The time of entry k is
// TINIT + k·DELT, computed as the report prints it.
Results superpose(const Deck& deck, const Derived& derived, const Inversion& inversion);

// The same from step responses already at hand: RH and RQ hold entry j for lag
// j = 1..NT - 1 (entry 0 unused).
Results superpose_responses(const Deck& deck, const Derived& derived, std::span<const double> RH,
                            std::span<const double> RQ);

}  // namespace kesta
