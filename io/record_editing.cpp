#include "io/record_editing.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace kesta {
namespace {

std::string right_justified(std::string_view text, int w) {
  if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  std::string field(static_cast<std::size_t>(w) - text.size(), ' ');
  field += text;
  return field;
}

}  // namespace

std::string edit_text(std::string_view text, int w) {
  const auto width = static_cast<std::size_t>(w);
  if (text.size() >= width) return std::string(text.substr(0, width));
  return std::string(width - text.size(), ' ') + std::string(text);
}

std::string edit_integer(long long value, int w) {
  return right_justified(std::to_string(value), w);
}

std::string edit_real(double value, int w, int d, char letter) {
  if (std::isnan(value)) return right_justified("NaN", w);
  if (std::isinf(value)) return right_justified(value < 0 ? "-Infinity" : "Infinity", w);

  const bool negative = value < 0.0;  // a negative zero prints as zero
  std::string digits(static_cast<std::size_t>(d), '0');
  int exponent = 0;
  if (value != 0.0) {
    // Scientific form with d significant digits: "D.DDDe+XX". to_chars rounds the
    // exact binary value to nearest, ties to even, and carries into the exponent.
    // Room for the d digits, the point and the longest exponent "e+308", so the
    // conversion cannot run short of space whatever d is.
    std::string buf(static_cast<std::size_t>(d) + 8, '\0');
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                   std::chars_format::scientific, d - 1);
    const std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const auto e_pos = sci.find('e');
    digits.clear();
    for (char c : sci.substr(0, e_pos))
      if (c != '.') digits += c;
    // d.ddd x 10^k equals 0.dddd x 10^(k+1).
    exponent = std::atoi(std::string(sci.substr(e_pos + 1)).c_str()) + 1;
  }

  const int magnitude = std::abs(exponent);
  const bool three_digits = magnitude > 99;
  std::string exponent_part;
  if (!three_digits) exponent_part += letter;
  exponent_part += exponent < 0 ? '-' : '+';
  std::string exp_digits = std::to_string(magnitude);
  const std::size_t exp_width = three_digits ? 3 : 2;
  exponent_part += std::string(exp_width - exp_digits.size(), '0') + exp_digits;

  const int minimum = d + 2 + static_cast<int>(exp_width) + (three_digits ? 0 : 1) + (negative ? 1 : 0);
  if (w < minimum) return std::string(static_cast<std::size_t>(w), '*');

  std::string field;
  if (negative) field += '-';
  if (w > minimum) field += '0';
  field += '.';
  field += digits;
  field += exponent_part;
  return right_justified(field, w);
}

}  // namespace kesta
