// Reading and writing decks for library callers.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

#include "input/deck_reader.hpp"
#include "kesta/kesta.hpp"

namespace kesta {
namespace {

Deck read_from(InputUnit& unit) {
  Deck deck;
  if (auto problem = read_deck_lines(unit, deck)) throw DeckError(problem->message, problem->line);
  return deck;
}

// The shortest text that reads back to the same double, or one of `digits`
// significant digits.
std::string number(double value, int digits = 0) {
  char text[64];
  const auto end = digits == 0 ? std::to_chars(text, text + sizeof text, value)
                               : std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return std::string(text, end.ptr);
}

// One line of values separated by blanks. A line holds 80 columns: when the
// shortest forms do not fit, every value is written to 13 significant digits,
// which always fit four to a line.
std::string value_line(std::initializer_list<double> values) {
  for (int digits : {0, 13}) {
    std::string line;
    for (double v : values) line += (line.empty() ? "" : " ") + number(v, digits);
    if (line.size() <= 80 || digits != 0) return line + "\n";
  }
  return "\n";
}

std::string integer_line(std::initializer_list<int> values) {
  std::string line;
  for (int v : values) line += (line.empty() ? "" : " ") + std::to_string(v);
  return line + "\n";
}

// A title is one line of the deck: line ends inside it become blanks.
std::string title_line(std::string title) {
  for (char& c : title)
    if (c == '\n' || c == '\r') c = ' ';
  return title + "\n";
}

}  // namespace

Deck read_deck(const std::filesystem::path& path) {
  InputUnit unit;
  if (auto stop = unit.open(15, path.string())) {
    // The diagnostic's own words after "kesta: severe (N): ".
    const std::string& d = stop->diagnostic;
    const auto colon = d.find("): ");
    std::string what = colon == std::string::npos ? d : d.substr(colon + 3);
    while (!what.empty() && what.back() == '\n') what.pop_back();
    for (auto& c : what)
      if (c == '\n') c = ';';
    throw DeckError("cannot open the deck: " + what, 0);
  }
  return read_from(unit);
}

Deck parse_deck(std::string_view text) {
  std::string copy(text);
  // fmemopen refuses an empty buffer.
  std::FILE* stream = copy.empty() ? std::tmpfile() : ::fmemopen(copy.data(), copy.size(), "rb");
  if (stream == nullptr) throw DeckError(std::string("cannot read the deck text: ") + std::strerror(errno), 0);
  InputUnit unit;
  unit.attach(stream, "the deck text");
  return read_from(unit);
}

std::string write_deck(const Deck& d) {
  std::string text = title_line(d.TITLE1) + title_line(d.TITLE2);
  text += std::to_string(d.ISTRESS) + " " + number(d.DELT) + " " + std::to_string(d.IPRINT) + "\n";
  text += integer_line({d.IXL, d.IAQ, d.IXA});
  text += value_line({d.XZERO, d.XLL, d.XAA, d.XSTREAM});
  text += value_line({d.AK, d.AS, d.AB});
  text += value_line({d.AKT, d.AST, d.ABT, d.ASYT});
  text += value_line({d.X, d.HINIT, d.TINIT});
  text += integer_line({d.NS});
  text += integer_line({d.NT});
  for (int i = 0; i < d.NT; ++i) {
    const auto k = static_cast<std::size_t>(i);
    auto at = [k](const std::vector<double>& series) { return k < series.size() ? series[k] : 0.0; };
    text += value_line({at(d.TIME), at(d.STAGE), at(d.RECH)});
  }
  return text;
}

}  // namespace kesta
