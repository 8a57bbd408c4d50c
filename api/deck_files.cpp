// Reading and writing decks for library callers.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "input/deck_reader.hpp"
#include "kesta/kesta.hpp"

namespace kesta {
namespace {

Deck read_from(InputUnit& unit) {
  Deck deck;
  // Which inversion will run the deck is not known yet: a deck either may run is read.
  if (auto problem = read_deck_lines(unit, deck, NTLIMIT_CONTOUR)) throw DeckError(problem->message, problem->line);
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

// A deck file holds exactly NT time-stress lines and finite numbers: a series
// of another length would be padded or cut, and a value that is not finite
// would be written as text no reader takes back.
void check_writable(const Deck& d) {
  const std::pair<const char*, const std::vector<double>*> series[] = {
      {"TIME", &d.TIME}, {"STAGE", &d.STAGE}, {"RECH", &d.RECH}};
  const auto lines = static_cast<std::size_t>(d.NT > 0 ? d.NT : 0);
  for (const auto& [name, values] : series)
    if (values->size() != lines)
      throw std::invalid_argument("cannot write the deck: " + std::string(name) + " holds " +
                                  std::to_string(values->size()) + " values where NT is " + std::to_string(d.NT) +
                                  " (a deck holds NT time-stress lines)");
  const std::pair<const char*, double> values[] = {
      {"DELT", d.DELT}, {"XZERO", d.XZERO}, {"XLL", d.XLL}, {"XAA", d.XAA},     {"XSTREAM", d.XSTREAM},
      {"AK", d.AK},     {"AS", d.AS},       {"AB", d.AB},   {"AKT", d.AKT},     {"AST", d.AST},
      {"ABT", d.ABT},   {"ASYT", d.ASYT},   {"X", d.X},     {"HINIT", d.HINIT}, {"TINIT", d.TINIT}};
  auto refuse = [](const std::string& what, double value) {
    throw std::invalid_argument("cannot write the deck: " + what + " is " + number(value) +
                                " (a deck holds finite numbers only)");
  };
  for (const auto& [name, value] : values)
    if (!std::isfinite(value)) refuse(name, value);
  for (const auto& [name, entries] : series)
    for (std::size_t i = 0; i < lines; ++i)
      if (!std::isfinite((*entries)[i]))
        refuse(name + (" of time-stress line " + std::to_string(i + 1)), (*entries)[i]);
}

// The open failure's own words after "kesta: severe (N): ", and its reason on
// the next line after "kesta: ", as one sentence.
std::string open_failure(const std::string& diagnostic) {
  std::string sentence;
  for (std::size_t start = 0; start < diagnostic.size();) {
    std::size_t end = diagnostic.find('\n', start);
    if (end == std::string::npos) end = diagnostic.size();
    std::string line = diagnostic.substr(start, end - start);
    const auto words = line.find("): ");
    if (sentence.empty() && words != std::string::npos)
      line.erase(0, words + 3);
    else if (line.rfind("kesta: ", 0) == 0)
      line.erase(0, 7);
    if (!line.empty()) sentence += (sentence.empty() ? "" : ": ") + line;
    start = end + 1;
  }
  return sentence;
}

}  // namespace

Deck read_deck(const std::filesystem::path& path) {
  InputUnit unit;
  if (auto stop = unit.open(15, path.string()))
    throw DeckError("cannot open the deck: " + open_failure(stop->diagnostic), 0);
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
  check_writable(d);
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
    text += value_line({d.TIME[k], d.STAGE[k], d.RECH[k]});
  }
  return text;
}

}  // namespace kesta
