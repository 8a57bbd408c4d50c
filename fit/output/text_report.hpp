#pragma once
// The fit as a plain-text report for the terminal.
#include <ostream>

#include "fit/output/fit_summary.hpp"

namespace kesta::fit_detail {

void write_text_report(const FitSummary& summary, std::ostream& out);

}  // namespace kesta::fit_detail
