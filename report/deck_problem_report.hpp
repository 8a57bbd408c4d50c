#pragma once
// How the program ends for a deck it cannot read: the line error report in the
// results report, or a run-time diagnostic whose second line names the deck line.
#include "input/deck_problem.hpp"
#include "io/output_unit.hpp"
#include "io/record_reader.hpp"
#include "io/stop.hpp"
#include "kesta/deck.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// The four lines naming an unreadable line, written to the report.
void write_line_error_report(OutputUnit& report, int NLINE, std::string_view LINE);

// A deck with too many time steps for the run's inversion gets the step-count
// check's message; when the contour inversion would take it, the stop says so.
Stop report_deck_problem(const DeckProblem& problem, const InputUnit& unit, const Deck& deck, OutputUnit& report,
                         InversionMethod inversion);

}  // namespace kesta
