// Free-form list reading on arbitrary text, with 1 to 8 targets of random kinds.
//
// Input: byte 0 picks the number of targets, byte 1 their kinds (bit i set: target
// i is an integer), the rest is the record text. The text is read from a buffer of
// exactly its length, so a read past its end is caught by the address checker.
//
// Checked on every input:
//  - the same text filled with blanks to 80 columns (as the deck reader hands it
//    over) gives the same outcome and the same values;
//  - text made only of values and blanks or tabs (no comma, slash or asterisk) is
//    compared with a second, plain reading of the list rules written here.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/list_parser.hpp"

namespace {

using kesta::ListOutcome;
using kesta::ListTarget;

constexpr std::size_t kMaxTargets = 8;
constexpr int kUnsetInt = -123456789;
constexpr double kUnsetDouble = -98765.4321;

struct Targets {
  std::size_t count = 0;
  std::array<bool, kMaxTargets> is_int{};
  std::array<int, kMaxTargets> ints{};
  std::array<double, kMaxTargets> doubles{};

  Targets(std::size_t n, std::uint8_t kinds) : count(n) {
    for (std::size_t i = 0; i < kMaxTargets; ++i) {
      is_int[i] = ((kinds >> i) & 1u) != 0;
      ints[i] = kUnsetInt;
      doubles[i] = kUnsetDouble;
    }
  }
  ListTarget target(std::size_t i) {
    if (is_int[i]) return &ints[i];
    return &doubles[i];
  }
  bool same_as(const Targets& other) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (is_int[i] && ints[i] != other.ints[i]) return false;
      // Bit for bit: a negative zero must stay a negative zero.
      if (!is_int[i] && std::memcmp(&doubles[i], &other.doubles[i], sizeof(double)) != 0) return false;
    }
    return true;
  }
};

template <std::size_t... I>
ListOutcome parse_n(std::string_view text, Targets& t, std::index_sequence<I...>) {
  return kesta::parse_list(text, {t.target(I)...});
}

ListOutcome parse(std::string_view text, Targets& t) {
  switch (t.count) {
    case 1: return parse_n(text, t, std::make_index_sequence<1>{});
    case 2: return parse_n(text, t, std::make_index_sequence<2>{});
    case 3: return parse_n(text, t, std::make_index_sequence<3>{});
    case 4: return parse_n(text, t, std::make_index_sequence<4>{});
    case 5: return parse_n(text, t, std::make_index_sequence<5>{});
    case 6: return parse_n(text, t, std::make_index_sequence<6>{});
    case 7: return parse_n(text, t, std::make_index_sequence<7>{});
    default: return parse_n(text, t, std::make_index_sequence<8>{});
  }
}

bool digit(char c) { return c >= '0' && c <= '9'; }

// [sign] digits [. digits] [E|e|D|d [sign] digits], one mantissa digit at least.
bool is_number(std::string_view s) {
  std::size_t i = 0, mantissa = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && digit(s[i])) ++i, ++mantissa;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && digit(s[i])) ++i, ++mantissa;
  }
  if (mantissa == 0) return false;
  if (i == s.size()) return true;
  if (s[i] != 'E' && s[i] != 'e' && s[i] != 'D' && s[i] != 'd') return false;
  ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t exponent = 0;
  while (i < s.size() && digit(s[i])) ++i, ++exponent;
  return exponent > 0 && i == s.size();
}

// The list rules for values separated by blanks or tabs only.
ListOutcome plain_reading(std::string_view text, Targets& t) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    words.push_back(text.substr(start, i - start));
  }
  for (std::size_t k = 0; k < t.count; ++k) {
    if (k >= words.size()) return ListOutcome::EndOfData;
    if (!is_number(words[k])) return ListOutcome::Error;
    std::string c(words[k]);
    for (char& ch : c)
      if (ch == 'D' || ch == 'd') ch = 'e';
    const double v = std::strtod(c.c_str(), nullptr);
    if (std::isinf(v)) return ListOutcome::Error;  // beyond the range of a double
    if (t.is_int[k]) {
      const double cut = std::trunc(v);
      if (!(cut >= -2147483648.0 && cut <= 2147483647.0)) return ListOutcome::Error;
      t.ints[k] = static_cast<int>(cut);
    } else {
      t.doubles[k] = v;
    }
  }
  return ListOutcome::Complete;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t count = 1 + data[0] % kMaxTargets;
  const std::uint8_t kinds = data[1];
  const std::size_t length = size - 2;
  // An exact-size copy: a byte read beyond the text is an overflow.
  const std::unique_ptr<char[]> exact(new char[length == 0 ? 1 : length]);
  if (length > 0) std::memcpy(exact.get(), data + 2, length);
  const std::string_view text(exact.get(), length);

  Targets as_given(count, kinds);
  const ListOutcome outcome = parse(text, as_given);

  if (length <= 80) {
    std::string filled(text);
    filled.resize(80, ' ');
    Targets as_filled(count, kinds);
    if (parse(filled, as_filled) != outcome || !as_filled.same_as(as_given)) std::abort();
  }

  if (text.find_first_of(",/*") == std::string_view::npos) {
    Targets expected(count, kinds);
    if (plain_reading(text, expected) != outcome || !expected.same_as(as_given)) std::abort();
  }
  return 0;
}
