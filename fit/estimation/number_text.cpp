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

}  // namespace kesta::fit_detail
