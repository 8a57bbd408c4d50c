#include "fit/estimation/number_text.hpp"

#include <charconv>
#include <cstdio>

namespace kesta::fit_detail {

std::string shortest(double v) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

std::string six_digits(double v) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

std::string decimals(double v, int places, bool sign) {
  char text[352];  // %f of the largest double
  (void)std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", places, v);
  return text;
}

std::string whole_percent(double share) { return decimals(100.0 * share, 0) + " %"; }

std::string percent(double share) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%g %%", 100.0 * share);
  return text;
}

}  // namespace kesta::fit_detail
