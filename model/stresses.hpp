#pragma once
// The stress values that drive the head and the seepage, by stress type.
#include <vector>

#include "kesta/deck.hpp"

namespace kesta {

// Entry k is time step k (entry 0 unused), so the formulas read as the model
// writes them; both series must hold NT + 1 entries.
void set_stresses(const Deck& deck, std::vector<double>& HSTRESS, std::vector<double>& QSTRESS);

}  // namespace kesta
