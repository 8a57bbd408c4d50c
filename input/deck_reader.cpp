#include "input/deck_reader.hpp"

#include <array>

#include "report/list_parser.hpp"

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

// The names of a line's values, as the line error report gives them, without
// the blanks around them.
std::string values_of(int NLINE) {
  const std::string_view label = kLabel[static_cast<std::size_t>(NLINE)];
  const auto first = label.find_first_not_of(' ');
  const auto last = label.find_last_not_of(' ');
  return std::string(label.substr(first, last - first + 1));
}

// Which line of the file is being read, for messages that name it.
struct Where {
  const InputUnit& deck;
  int NLINE;
  int stress = 0;  // the time-stress line's number, 1..NT, on a time-stress line
  int NT = 0;

  std::string what() const {
    if (stress == 0) return "line " + std::to_string(NLINE) + " (" + values_of(NLINE) + ")";
    return "time-stress line " + std::to_string(stress) + " of " + std::to_string(NT) + " (TIME  STAGE  RECH)";
  }
};

// The deck ended before a line it needs: the diagnostic says which.
Outcome read_line_of(InputUnit& deck, const Where& where, std::string& LINE) {
  auto stop = deck.read(kDeckWidth, LINE);
  if (!stop || stop->status != static_cast<int>(IoError::EndOfFile)) return stop;
  const std::string ends =
      deck.lines_read() == 0 ? " is empty" : " ends after line " + std::to_string(deck.lines_read());
  return severe(IoError::EndOfFile, deck.number(), deck.name(), deck.name() + ends + "; " + where.what() + " is missing");
}

// What a parse outcome means for the run.
Outcome after_parse(ListOutcome outcome, OutputUnit& report, const Where& where, const std::string& LINE) {
  const std::string line_of_deck = "line " + std::to_string(where.deck.lines_read()) + " of " + where.deck.name();
  switch (outcome) {
    case ListOutcome::Complete:
      return std::nullopt;
    case ListOutcome::EndOfData:
      return severe(IoError::EndOfFile, kInternalReadUnit, kInternalReadFile,
                    line_of_deck + (where.stress == 0 ? " (" + values_of(where.NLINE) + ")" : ", " + where.what() + ",") +
                        " has too few values");
    case ListOutcome::Error:
      write_line_error_report(report, where.NLINE, LINE);
      return rejected_stop(line_of_deck + ": " + where.what() + " cannot be read as numbers");
  }
  return std::nullopt;
}

Outcome parse_fixed_line(const Where& where, const std::string& LINE, ModelState& s, int& IPRINT,
                         OutputUnit& report) {
  const int NLINE = where.NLINE;
  ListOutcome outcome = ListOutcome::Complete;
  switch (NLINE) {
    case 1: s.TITLE1 = LINE.substr(0, 70); break;
    case 2: s.TITLE2 = LINE.substr(0, 70); break;
    case 3: outcome = parse_list(LINE, {&s.ISTRESS, &s.DELT, &IPRINT}); break;
    case 4: outcome = parse_list(LINE, {&s.IXL, &s.IAQ, &s.IXA}); break;
    case 5: outcome = parse_list(LINE, {&s.XZERO, &s.XLL, &s.XAA, &s.XSTREAM}); break;
    case 6: outcome = parse_list(LINE, {&s.AK, &s.AS, &s.AB}); break;
    case 7: outcome = parse_list(LINE, {&s.AKT, &s.AST, &s.ABT, &s.ASYT}); break;
    case 8: outcome = parse_list(LINE, {&s.X, &s.HINIT, &s.TINIT}); break;
    case 9: outcome = parse_list(LINE, {&s.NS}); break;
    case 10: outcome = parse_list(LINE, {&s.NT}); break;
    default: break;
  }
  return after_parse(outcome, report, where, LINE);
}

}  // namespace

void write_line_error_report(OutputUnit& report, int NLINE, std::string_view LINE) {
  report.write({Lit(" Aborting due to error in line from input file:"), X(2), I(5), Slash,
                A(80), Slash,
                Lit(" While attempting to read variables"), A(40), Slash,
                Lit(" Check for incorrect positions or data types...")},
               {NLINE, LINE, kLabel[static_cast<std::size_t>(NLINE)]});
}

Outcome read_deck(ModelState& state, Units& units, int& IPRINT) {
  std::string LINE;
  for (int NLINE = 1; NLINE <= 10; ++NLINE) {
    const Where where{units.deck, NLINE};
    if (auto stop = read_line_of(units.deck, where, LINE)) return stop;
    if (auto stop = parse_fixed_line(where, LINE, state, IPRINT, units.report)) return stop;
  }

  // The series get room for every time step the deck gives, up to the widest
  // count the summary can echo.
  if (state.NT > NTLIMIT) {
    const Layout message = {X(3), Lit("NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED.")};
    units.report.write(message);
    return rejected_stop(message_words(format_layout(message)));
  }
  state.size_series(state.NT);

  for (int i = 1; i <= state.NT; ++i) {
    const Where where{units.deck, kStressLine, i, state.NT};
    if (auto stop = read_line_of(units.deck, where, LINE)) return stop;
    const auto k = static_cast<std::size_t>(i);
    const ListOutcome outcome = parse_list(LINE, {&state.TIME[k], &state.STAGE[k], &state.RECH[k]});
    if (auto stop = after_parse(outcome, units.report, where, LINE)) return stop;
  }
  return std::nullopt;
}

}  // namespace kesta
