#include "plot/significant.hpp"

#include <cstdio>

namespace kesta::plot {

std::string significant(double v, int digits, bool keep_zeros) {
  char text[40];  // 17 digits, a sign, a point and a four-character exponent fit
  (void)std::snprintf(text, sizeof text, keep_zeros ? "%#.*G" : "%.*G", digits, v);
  return text;
}

}  // namespace kesta::plot
