#pragma once
// The warning on the console after a complete run whose printed head or
// seepage the inversion's error reaches: what, how much, when, and which NS
// prints correct digits instead, and that the contour inversion prints them all.
#include <string>

#include "kesta/accuracy.hpp"
#include "kesta/results.hpp"
#include "model/printed_accuracy.hpp"

namespace kesta {

// Lines that each start "kesta: warning: ", or "" when every digit holds.
std::string accuracy_warning(const Results& results, const PrintedAccuracy& accuracy, const NsAdvice& advice);

// The same for the contour inversion, whose error has no NS to change.
std::string contour_accuracy_warning(const Results& results, const PrintedAccuracy& accuracy);

}  // namespace kesta
