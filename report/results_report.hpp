#pragma once
// The results section of the report and the plot file.
#include "driver/model_state.hpp"
#include "driver/units.hpp"

namespace kesta {

// Three empty lines, "RESULTS" and its underline, one empty line.
void write_results_heading(OutputUnit& report);

// Column headings, then one row per time step in the report and, when IPLOT = 1,
// the plot header and one row per time step in the plot file.
void write_results_table(const ModelState& state, int IPLOT, Units& units);

}  // namespace kesta
