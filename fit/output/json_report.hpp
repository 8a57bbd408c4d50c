#pragma once
// The fit as one JSON object.
#include <ostream>

#include "fit/output/fit_summary.hpp"

namespace kesta::fit_detail {

void write_json_report(const FitSummary& summary, std::ostream& out);

}  // namespace kesta::fit_detail
