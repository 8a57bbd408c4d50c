#include "report/deck_problem_report.hpp"

#include "input/checks.hpp"
#include "input/deck_reader.hpp"
#include "report/rejection.hpp"

namespace kesta {

void write_line_error_report(OutputUnit& report, int NLINE, std::string_view LINE) {
  report.write({Lit(" Aborting due to error in line from input file:"), X(2), I(5), Slash, A(80), Slash,
                Lit(" While attempting to read variables"), A(40), Slash,
                Lit(" Check for incorrect positions or data types...")},
               {NLINE, LINE, line_label(NLINE)});
}

Stop report_deck_problem(const DeckProblem& problem, const InputUnit& unit, const Deck& deck, OutputUnit& report) {
  switch (problem.kind) {
    case DeckProblem::Kind::Unreadable:
      write_line_error_report(report, problem.NLINE, problem.LINE);
      return rejected_stop(problem.message);
    case DeckProblem::Kind::TooManySteps:
      if (auto message = check_step_count(deck)) return reject(report, *message);
      return rejected_stop(problem.message);
    case DeckProblem::Kind::TooFewValues:
      return severe(IoError::EndOfFile, kInternalReadUnit, kInternalReadFile, problem.message);
    case DeckProblem::Kind::Missing: return severe(IoError::EndOfFile, unit.number(), unit.name(), problem.message);
    case DeckProblem::Kind::ReadFailed: return severe(IoError::ReadError, unit.number(), unit.name(), problem.message);
  }
  return plain_stop();
}

}  // namespace kesta
