#pragma once
// Numbers in messages and reports.
#include <string>

namespace kesta::fit_detail {

// The shortest text that reads back to the same double ("0.01", "1e-07").
std::string shortest(double v);

// Six significant digits ("3.00012", "1.5e-05"), for tables.
std::string six_digits(double v);

// A fixed number of decimals ("2.31" for 2, "40.1" for 1), with its sign
// always when `sign` ("+0.49").
std::string decimals(double v, int places, bool sign = false);

// A share as a percentage: whole ("18 %") or as short as it is ("95 %",
// "97.5 %").
std::string whole_percent(double share);
std::string percent(double share);

}  // namespace kesta::fit_detail
