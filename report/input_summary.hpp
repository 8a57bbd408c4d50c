#pragma once
// The head of the results report: the banner box and the summary of input data,
// every value echoed with its meaning and unit and checked right after its echo.
#include "io/output_unit.hpp"
#include "io/stop.hpp"
#include "kesta/deck.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

void write_banner_box(OutputUnit& report);

// Echoes and checks the deck. The first check that fails writes its message and
// rejects the deck. Under the contour inversion a line after NS says that NS
// is not used.
Outcome write_input_summary(const Deck& deck, OutputUnit& report,
                            InversionMethod inversion = InversionMethod::Stehfest);

}  // namespace kesta
