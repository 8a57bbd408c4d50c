#pragma once
// Numbers in a given count of significant digits, as the picture writes them.
#include <string>

namespace kesta::plot {

// `v` in `digits` significant digits, as printf's %G writes it (1E+06 beyond
// its digits); with trailing zeros kept when `keep_zeros`.
std::string significant(double v, int digits, bool keep_zeros = false);

}  // namespace kesta::plot
