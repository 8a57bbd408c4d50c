#pragma once
// The fitted case: the case a fit started from, written again with the
// estimates, so that kesta --case runs the fitted model on the calendar.
#include <string>

#include "fit/case/fit_case.hpp"
#include "kesta/kesta.hpp"

namespace kesta::fit_detail {

// The case file as TOML with the fitted deck's values: each estimated aquifer
// value in its [aquifer] table (a case that takes its aquifer from a deck
// takes it from the fitted deck instead), hinit, the fit's inversion, the
// records' names made relative to the folder of `case_name` (where it is
// written) and its results named after it. Comments are not kept.
std::string fitted_case(const FitCase& fit_case, const Deck& fitted, const std::string& case_name,
                        const std::string& fitted_deck_name);

}  // namespace kesta::fit_detail
