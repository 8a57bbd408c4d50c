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

Stop report_deck_problem(const DeckProblem& problem, const InputUnit& unit, const Deck& deck, OutputUnit& report,
                         InversionMethod inversion) {
  switch (problem.kind) {
    case DeckProblem::Kind::Unreadable:
      write_line_error_report(report, problem.NLINE, problem.LINE);
      return rejected_stop(problem.message);
    case DeckProblem::Kind::TooManySteps: {
      Stop stop = rejected_stop(problem.message);
      if (auto message = check_step_count(deck, inversion)) stop = reject(report, *message);
      if (contour_takes_steps(deck, inversion))
        stop.remedy = "--inversion contour accepts up to " + std::to_string(NTLIMIT_CONTOUR) + " time steps";
      return stop;
    }
    case DeckProblem::Kind::TooFewValues:
      return severe(IoError::EndOfFile, kInternalReadUnit, kInternalReadFile, problem.message);
    case DeckProblem::Kind::Missing: return severe(IoError::EndOfFile, unit.number(), unit.name(), problem.message);
    case DeckProblem::Kind::ReadFailed: return severe(IoError::ReadError, unit.number(), unit.name(), problem.message);
  }
  return plain_stop();
}

}  // namespace kesta
