#pragma once
// Numbers in messages and reports.
#include <string>

namespace kesta::fit_detail {

// The shortest text that reads back to the same double ("0.01", "1e-07").
std::string shortest(double v);

// Six significant digits ("3.00012", "1.5e-05"), for tables.
std::string six_digits(double v);

}  // namespace kesta::fit_detail
