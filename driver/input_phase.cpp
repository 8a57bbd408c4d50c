#include "driver/input_phase.hpp"

#include "input/checks.hpp"
#include "input/deck_reader.hpp"
#include "report/deck_problem_report.hpp"
#include "report/input_summary.hpp"

namespace kesta {

Outcome input_phase(FileChannels& files, Deck& deck, InversionMethod inversion) {
  // The banner box heads the report even when the deck proves unreadable.
  write_banner_box(files.report);
  if (auto problem = read_deck_lines(files.deck, deck, step_limit(inversion)))
    return report_deck_problem(*problem, files.deck, deck, files.report, inversion);
  return write_input_summary(deck, files.report, inversion);
}

}  // namespace kesta
