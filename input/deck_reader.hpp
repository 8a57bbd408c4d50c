#pragma once
// Reading the input deck: ten fixed lines, then NT time-stress lines.
#include "driver/model_state.hpp"
#include "driver/units.hpp"
#include "report/stop.hpp"

namespace kesta {

inline constexpr int kDeckWidth = 80;

// Fills the model state and IPRINT from the deck. An unreadable line writes the
// line error report; a deck or line that runs out ends with the end-of-file
// diagnostic.
Outcome read_deck(ModelState& state, Units& units, int& IPRINT);

// The four lines naming an unreadable line, written to the report.
void write_line_error_report(OutputUnit& report, int NLINE, std::string_view LINE);

}  // namespace kesta
