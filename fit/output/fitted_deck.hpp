#pragma once
// The fitted deck: the starting deck with the estimates written in, its NS
// line saying which inversion produced them.
#include <string>

#include "kesta/kesta.hpp"

namespace kesta::fit_detail {

// Deck text as write_deck gives it; the NS line carries, after a slash that
// ends its values, the inversion the estimates come from, so that a run of
// the fitted deck can reproduce the fit's simulated values.
std::string fitted_deck(const Deck& deck, InversionMethod inversion);

}  // namespace kesta::fit_detail
