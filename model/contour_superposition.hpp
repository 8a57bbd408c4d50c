#pragma once
// The simulation by the contour inversion: the step responses of every lag
// inverted along the contour, superposed over the stress series as the
// Stehfest responses are.
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"

namespace kesta {

Results superpose_by_contour(const Deck& deck, const Derived& derived);

}  // namespace kesta
