#pragma once
// The results section of the report and the plot file.
#include "io/output_unit.hpp"
#include "kesta/results.hpp"

namespace kesta {

// Three empty lines, "RESULTS" and its underline, one empty line.
void write_results_heading(OutputUnit& report);

// Column headings, then one row per time step in the report and, when a plot
// file is open, its header and one row per time step there. Rows are edited on
// every core but `busy_cores`, which other work of the run holds meanwhile.
void write_results_table(const Results& results, OutputUnit& report, OutputUnit* plot, int busy_cores = 0);

}  // namespace kesta
