#include "io/list_parser.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace kesta {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The common case read in place: [-] digits [. digits] [(E|e) [sign] digits],
// text from_chars reads as it stands, within the range of a double. Nothing
// for any other text, which then takes the general way.
std::optional<double> plain_number(std::string_view token) {
  std::size_t i = 0;
  if (i < token.size() && token[i] == '-') ++i;
  std::size_t mantissa_digits = 0;
  while (i < token.size() && is_digit(token[i])) ++i, ++mantissa_digits;
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && is_digit(token[i])) ++i, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < token.size() && (token[i] == 'E' || token[i] == 'e')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < token.size() && is_digit(token[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != token.size()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size() || std::isinf(value)) return std::nullopt;
  return value;
}

// A number of the form [sign] digits [. digits] [(E|e|D|d) [sign] digits], with at
// least one mantissa digit, converted to the nearest double. Nothing for any
// other text, and for a value beyond the range of a double.
std::optional<double> to_number(std::string_view token) {
  if (auto plain = plain_number(token)) return plain;
  std::size_t i = 0;
  std::string normal;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) normal += token[i++];
  std::size_t mantissa_digits = 0;
  while (i < token.size() && is_digit(token[i])) normal += token[i++], ++mantissa_digits;
  if (i < token.size() && token[i] == '.') {
    normal += token[i++];
    while (i < token.size() && is_digit(token[i])) normal += token[i++], ++mantissa_digits;
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < token.size() && (token[i] == 'E' || token[i] == 'e' || token[i] == 'D' || token[i] == 'd')) {
    normal += 'e';
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) normal += token[i++];
    std::size_t exponent_digits = 0;
    while (i < token.size() && is_digit(token[i])) normal += token[i++], ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != token.size()) return std::nullopt;
  // from_chars rounds correctly and fast; a value beyond its range goes to strtod,
  // which gives the nearest subnormal or zero on underflow. Only an overflow to
  // infinity is refused.
  const char* first = normal.data() + (normal[0] == '+' ? 1 : 0);
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, normal.data() + normal.size(), value);
  if (error != std::errc() || end != normal.data() + normal.size()) value = std::strtod(normal.c_str(), nullptr);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

bool store(const ListTarget& target, double value) {
  if (double* const* d = std::get_if<double*>(&target)) {
    **d = value;
    return true;
  }
  const double cut = std::trunc(value);
  if (cut < static_cast<double>(std::numeric_limits<int>::min()) ||
      cut > static_cast<double>(std::numeric_limits<int>::max()))
    return false;
  *std::get<int*>(target) = static_cast<int>(cut);
  return true;
}

// A repeat count: a positive whole number without sign directly before '*'.
std::optional<long long> repeat_count(std::string_view token) {
  if (token.empty() || token.size() > 9) return std::nullopt;
  long long r = 0;
  for (char c : token) {
    if (!is_digit(c)) return std::nullopt;
    r = r * 10 + (c - '0');
  }
  if (r <= 0) return std::nullopt;
  return r;
}

}  // namespace

ListOutcome parse_list(std::string_view text, std::initializer_list<ListTarget> targets) {
  auto target = targets.begin();
  std::size_t pos = 0;
  const auto skip_blanks = [&] {
    while (pos < text.size() && is_blank(text[pos])) ++pos;
  };
  // After a value: blanks, then at most one comma that belongs to it.
  const auto skip_separator = [&] {
    skip_blanks();
    if (pos < text.size() && text[pos] == ',') ++pos;
  };

  while (target != targets.end()) {
    skip_blanks();
    if (pos >= text.size()) return ListOutcome::EndOfData;
    const char c = text[pos];
    if (c == '/') return ListOutcome::Complete;
    if (c == ',') {  // a comma where a value should stand: a null value
      ++pos;
      ++target;
      continue;
    }
    std::size_t end = pos;
    while (end < text.size() && !ends_value(text[end])) ++end;
    std::string_view token = text.substr(pos, end - pos);
    pos = end;

    long long copies = 1;
    const auto star = token.find('*');
    if (star != std::string_view::npos) {
      const auto r = repeat_count(token.substr(0, star));
      if (!r) return ListOutcome::Error;
      copies = *r;
      token = token.substr(star + 1);
      if (token.empty()) {  // r* : r null values
        for (; copies > 0 && target != targets.end(); --copies) ++target;
        skip_separator();
        continue;
      }
    }
    const auto value = to_number(token);
    if (!value) return ListOutcome::Error;
    for (; copies > 0 && target != targets.end(); --copies, ++target)
      if (!store(*target, *value)) return ListOutcome::Error;
    skip_separator();
  }
  return ListOutcome::Complete;
}

}  // namespace kesta
