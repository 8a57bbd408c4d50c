#pragma once
// Superposition of step responses over the stress series: head, seepage, total
// seepage, bank storage and bank-storage volume for every time step.
#include "data/inversion.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"

namespace kesta {

// NT entries of each series (none for NT <= 0). The time of entry k is
// TINIT + k·DELT, computed as the report prints it.
Results superpose(const Deck& deck, const Derived& derived, const Inversion& inversion);

}  // namespace kesta
