#pragma once
// Dimensionless parameters of the analytical model, derived from the deck.
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"

namespace kesta {

// XD, XZEROD, XLLD, XAAD, GAMMA1, SIGMA1 and SIGMAP; features the codes switch
// off give 0 (XLLD, XAAD, SIGMAP) or the report's placeholder 0.0001 (GAMMA1,
// SIGMA1 of a confined aquifer).
Derived derive(const Deck& deck);

}  // namespace kesta
