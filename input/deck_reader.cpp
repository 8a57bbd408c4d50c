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

// What a parse outcome means for the run.
Outcome after_parse(ListOutcome outcome, OutputUnit& report, int NLINE, const std::string& LINE) {
  switch (outcome) {
    case ListOutcome::Complete:
      return std::nullopt;
    case ListOutcome::EndOfData:
      return severe(IoError::EndOfFile, kInternalReadUnit, kInternalReadFile);
    case ListOutcome::Error:
      write_line_error_report(report, NLINE, LINE);
      return plain_stop();
  }
  return std::nullopt;
}

Outcome parse_fixed_line(int NLINE, const std::string& LINE, ModelState& s, int& IPRINT, OutputUnit& report) {
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
  return after_parse(outcome, report, NLINE, LINE);
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
    if (auto stop = units.deck.read(kDeckWidth, LINE)) return stop;
    if (auto stop = parse_fixed_line(NLINE, LINE, state, IPRINT, units.report)) return stop;
  }

  // The series get room for every time step the deck gives, up to the widest
  // count the summary can echo.
  if (state.NT > NTLIMIT) {
    units.report.write({X(3), Lit("NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED.")});
    return plain_stop();
  }
  state.size_series(state.NT);

  for (int i = 1; i <= state.NT; ++i) {
    if (auto stop = units.deck.read(kDeckWidth, LINE)) return stop;
    const auto k = static_cast<std::size_t>(i);
    const ListOutcome outcome = parse_list(LINE, {&state.TIME[k], &state.STAGE[k], &state.RECH[k]});
    if (auto stop = after_parse(outcome, units.report, kStressLine, LINE)) return stop;
  }
  return std::nullopt;
}

}  // namespace kesta
