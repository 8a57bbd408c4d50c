#include "plot/e_field.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace kesta::plot {

namespace {

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool is_sign(char c) { return c == '+' || c == '-'; }

// Optional sign, digits, a point, digits; at least one digit in all.
bool is_mantissa(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && is_sign(s[i])) ++i;
  int digits = 0;
  int points = 0;
  for (; i < s.size(); ++i) {
    if (is_digit(s[i]))
      ++digits;
    else if (s[i] == '.' && points == 0)
      ++points;
    else
      return false;
  }
  return digits > 0;
}

// Optional sign and one or more digits.
bool is_exponent(std::string_view s) {
  if (!s.empty() && is_sign(s.front())) s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (!is_digit(c)) return false;
  return true;
}

// Where the exponent starts: after a letter E or D, or, in the letterless
// form, at the sign that follows the first character.
struct Split {
  std::string_view mantissa;
  std::string_view exponent;  // empty when the token has none
};

std::optional<Split> split_exponent(std::string_view t) {
  const std::size_t letter = t.find_first_of("EeDd");
  if (letter != std::string_view::npos) {
    std::string_view exponent = t.substr(letter + 1);
    // With a letter the exponent must be there; without one it must be signed.
    if (!is_exponent(exponent)) return std::nullopt;
    return Split{t.substr(0, letter), exponent};
  }
  const std::size_t sign = t.find_first_of("+-", 1);
  if (sign == std::string_view::npos) return Split{t, {}};
  std::string_view exponent = t.substr(sign);
  if (!is_exponent(exponent)) return std::nullopt;
  return Split{t.substr(0, sign), exponent};
}

}  // namespace

std::optional<double> read_e_field(std::string_view token) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  if (token == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (token == "Infinity" || token == "+Infinity") return inf;
  if (token == "-Infinity") return -inf;

  const std::optional<Split> split = split_exponent(token);
  if (!split || !is_mantissa(split->mantissa)) return std::nullopt;

  // from_chars wants "m.mmme+xx" with no leading '+'.
  std::string text(split->mantissa);
  const bool negative = text.front() == '-';
  if (is_sign(text.front())) text.erase(0, 1);
  if (!split->exponent.empty()) text.append("e").append(split->exponent);

  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Too small reads as zero, too large as infinite: the exponent says which.
    const bool too_small = !split->exponent.empty() && split->exponent.front() == '-';
    value = too_small ? 0.0 : inf;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace kesta::plot
