#include "plot/units.hpp"

namespace kesta::plot {

namespace {

std::string power(const std::string& unit, int n, UnitStyle style) {
  if (style == UnitStyle::Ascii) return unit + "^" + std::to_string(n);
  return unit + (n == 2 ? "\u00b2" : "\u00b3");
}

// Length of the UTF-8 sequence starting at text[at], or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t utf8_sequence(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  // Sequence length and allowed range of the second byte, by lead byte (RFC 3629).
  struct Lead {
    unsigned char first, last;
    std::size_t n;
    unsigned char lo, hi;
  };
  static constexpr Lead kLeads[] = {
      {0xc2, 0xdf, 2, 0x80, 0xbf}, {0xe0, 0xe0, 3, 0xa0, 0xbf}, {0xe1, 0xec, 3, 0x80, 0xbf},
      {0xed, 0xed, 3, 0x80, 0x9f}, {0xee, 0xef, 3, 0x80, 0xbf}, {0xf0, 0xf0, 4, 0x90, 0xbf},
      {0xf1, 0xf3, 4, 0x80, 0xbf}, {0xf4, 0xf4, 4, 0x80, 0x8f},
  };
  std::size_t n = 0;
  unsigned char lo = 0, hi = 0;
  for (const Lead& l : kLeads)
    if (lead >= l.first && lead <= l.last) {
      n = l.n;
      lo = l.lo;
      hi = l.hi;
    }
  if (n == 0 || at + n > text.size()) return 0;
  if (byte(at + 1) < lo || byte(at + 1) > hi) return 0;
  for (std::size_t i = 2; i < n; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xbf) return 0;
  return n;
}

}  // namespace

std::string Units::of(Column c, UnitStyle style) const {
  switch (c) {
    case Column::T: return time;
    case Column::H: return length;
    case Column::SEEP: return power(length, 2, style) + "/" + time;
    case Column::SEEPT: return power(length, 3, style) + "/" + time;
    case Column::BANK: return power(length, 2, style);
    case Column::BANKV: return power(length, 3, style);
  }
  return "";
}

std::string printable_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x7f) {
      out += text[at++];
    } else if (const std::size_t n = c >= 0x80 ? utf8_sequence(text, at) : 0; n > 0) {
      out += text.substr(at, n);
      at += n;
    } else {
      out += '?';
      ++at;
    }
  }
  return out;
}

Units checked_units(std::string_view length, std::string_view time) {
  const std::string_view names[2] = {length, time};
  const char* what[2] = {"length", "time"};
  for (int i = 0; i < 2; ++i) {
    const std::string_view name = names[i];
    if (name.empty())
      throw UnitsError(std::string("the unit of ") + what[i] + " is missing (expected LENGTH,TIME such as m,d)");
    if (name.size() > kUnitNameMax)
      throw UnitsError(std::string("the unit of ") + what[i] + " is longer than " + std::to_string(kUnitNameMax) +
                       " bytes");
    if (printable_utf8(name) != name || name.find_first_of(" ,\"") != std::string_view::npos)
      throw UnitsError(std::string("the unit of ") + what[i] + " '" + printable_utf8(name) +
                       "' holds a blank, a comma, a quote or a character that is not printable");
  }
  return {std::string(length), std::string(time)};
}

Units parse_units(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos)
    throw UnitsError("expected LENGTH,TIME such as m,d; got '" + printable_utf8(text) + "'");
  return checked_units(text.substr(0, comma), text.substr(comma + 1));
}

}  // namespace kesta::plot
