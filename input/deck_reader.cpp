#include "input/deck_reader.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "io/list_parser.hpp"

namespace kesta {
namespace {

// The variables of each line, named in the line error report; padded to 40.
constexpr std::array<std::string_view, 12> kLabel = {
    "",
    " TITLE1                                 ",
    " TITLE2                                 ",
    " ISTRESS  DELT  IPRINT                  ",
    " IXL  IAQ  IXA                          ",
    " XZERO  XLL  XAA  XSTREAM               ",
    " AK  AS  AB                             ",
    " AKT  AST  ABT  ASYT                    ",
    " X  HINIT  TINIT                        ",
    " NS                                     ",
    " NT                                     ",
    " TIME-STRESS DATA                       ",
};

constexpr int kStressLine = 11;  // every time-stress line is reported as line 11

// Time-stress values the series hold room for before the first line is read:
// a million steps, so a deck of up to that many never moves its series.
constexpr std::size_t kRoomAhead = std::size_t{1} << 20;

// The names of a line's values without the blanks around them.
std::string values_of(int NLINE) {
  const std::string_view label = kLabel[static_cast<std::size_t>(NLINE)];
  const auto first = label.find_first_not_of(' ');
  const auto last = label.find_last_not_of(' ');
  return std::string(label.substr(first, last - first + 1));
}

// Which line of the deck is being read, for messages that name it.
struct Where {
  const InputUnit& unit;
  int NLINE;
  int stress = 0;  // the time-stress line's number, 1..NT, on a time-stress line
  int NT = 0;

  std::string what() const {
    if (stress == 0) return "line " + std::to_string(NLINE) + " (" + values_of(NLINE) + ")";
    return "time-stress line " + std::to_string(stress) + " of " + std::to_string(NT) + " (TIME  STAGE  RECH)";
  }
  std::string line_of_deck() const { return "line " + std::to_string(unit.lines_read()) + " of " + unit.name(); }
  // The values of the line, as a message places them after its number in the file.
  std::string values() const { return stress == 0 ? " (" + values_of(NLINE) + ")" : ", " + what() + ","; }

  DeckProblem problem(DeckProblem::Kind kind, std::string message, const std::string& LINE = {}) const {
    return DeckProblem{kind, unit.lines_read(), NLINE, LINE, std::move(message)};
  }
};

std::optional<DeckProblem> read_line_of(InputUnit& unit, const Where& where, std::string& LINE) {
  switch (unit.next(kDeckWidth, LINE)) {
    case ReadStatus::Ok: return std::nullopt;
    case ReadStatus::EndOfFile: {
      const std::string ends =
          unit.lines_read() == 0 ? " is empty" : " ends after line " + std::to_string(unit.lines_read());
      return where.problem(DeckProblem::Kind::Missing, unit.name() + ends + "; " + where.what() + " is missing");
    }
    case ReadStatus::Error:
      return where.problem(DeckProblem::Kind::ReadFailed,
                           where.line_of_deck() + " cannot be read: " + std::strerror(errno));
    case ReadStatus::TooLong:
      return where.problem(DeckProblem::Kind::ReadFailed,
                           where.line_of_deck() + " is longer than " + std::to_string(kLongestRecord) +
                               " bytes without a line end; the input deck must be a text file");
  }
  return std::nullopt;
}

std::optional<DeckProblem> after_parse(ListOutcome outcome, const Where& where, const std::string& LINE) {
  switch (outcome) {
    case ListOutcome::Complete: return std::nullopt;
    case ListOutcome::EndOfData:
      return where.problem(DeckProblem::Kind::TooFewValues,
                           where.line_of_deck() + where.values() + " has too few values");
    case ListOutcome::Error:
      return where.problem(DeckProblem::Kind::Unreadable,
                           where.line_of_deck() + where.values() + " holds a value that is not a number", LINE);
  }
  return std::nullopt;
}

ListOutcome parse_fixed_line(int NLINE, const std::string& LINE, Deck& d) {
  switch (NLINE) {
    case 1: d.TITLE1 = LINE.substr(0, 70); return ListOutcome::Complete;
    case 2: d.TITLE2 = LINE.substr(0, 70); return ListOutcome::Complete;
    case 3: return parse_list(LINE, {&d.ISTRESS, &d.DELT, &d.IPRINT});
    case 4: return parse_list(LINE, {&d.IXL, &d.IAQ, &d.IXA});
    case 5: return parse_list(LINE, {&d.XZERO, &d.XLL, &d.XAA, &d.XSTREAM});
    case 6: return parse_list(LINE, {&d.AK, &d.AS, &d.AB});
    case 7: return parse_list(LINE, {&d.AKT, &d.AST, &d.ABT, &d.ASYT});
    case 8: return parse_list(LINE, {&d.X, &d.HINIT, &d.TINIT});
    case 9: return parse_list(LINE, {&d.NS});
    case 10: return parse_list(LINE, {&d.NT});
    default: return ListOutcome::Complete;
  }
}

}  // namespace

std::string_view line_label(int NLINE) { return kLabel[static_cast<std::size_t>(NLINE)]; }

std::optional<DeckProblem> read_deck_lines(InputUnit& unit, Deck& deck, int most_steps) {
  std::string LINE;
  for (int NLINE = 1; NLINE <= 10; ++NLINE) {
    const Where where{unit, NLINE};
    if (auto problem = read_line_of(unit, where, LINE)) return problem;
    if (auto problem = after_parse(parse_fixed_line(NLINE, LINE, deck), where, LINE)) return problem;
  }

  if (deck.NT > most_steps)
    return Where{unit, 10}.problem(DeckProblem::Kind::TooManySteps,
                                   "line 10 of " + unit.name() + ": NT = " + std::to_string(deck.NT) +
                                       " is greater than " + std::to_string(most_steps));
  // The series grow with the lines read: a deck that promises millions of
  // lines and ends early takes no more memory than the lines it holds.
  const std::size_t n = deck.NT > 0 ? static_cast<std::size_t>(deck.NT) : 0;
  for (auto* series : {&deck.TIME, &deck.STAGE, &deck.RECH}) {
    series->clear();
    series->reserve(std::min(n, kRoomAhead));
  }

  double TIME = 0.0, STAGE = 0.0, RECH = 0.0;
  for (int i = 1; i <= deck.NT; ++i) {
    const Where where{unit, kStressLine, i, deck.NT};
    if (auto problem = read_line_of(unit, where, LINE)) return problem;
    TIME = STAGE = RECH = 0.0;
    const ListOutcome outcome = parse_list(LINE, {&TIME, &STAGE, &RECH});
    if (auto problem = after_parse(outcome, where, LINE)) return problem;
    deck.TIME.push_back(TIME);
    deck.STAGE.push_back(STAGE);
    deck.RECH.push_back(RECH);
  }
  return std::nullopt;
}

}  // namespace kesta
