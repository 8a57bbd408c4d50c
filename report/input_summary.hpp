#pragma once
// The head of the results report: the banner box and the summary of input data,
// every value echoed with its meaning and unit and checked right after its echo.
#include "io/output_unit.hpp"
#include "io/stop.hpp"
#include "kesta/deck.hpp"

namespace kesta {

void write_banner_box(OutputUnit& report);

// Echoes and checks the deck. The first check that fails writes its message and
// rejects the deck.
Outcome write_input_summary(const Deck& deck, OutputUnit& report);

}  // namespace kesta
