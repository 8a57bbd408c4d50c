#include "report/results_report.hpp"

namespace kesta {

// Not built yet.
void write_results_heading(OutputUnit&) {}
void write_results_table(const ModelState&, int, Units&) {}

}  // namespace kesta
