#include "driver/driver.hpp"

#include <cstdio>

#include "driver/file_dialogue.hpp"
#include "input/deck_reader.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/superposition.hpp"
#include "report/deck_problem_report.hpp"
#include "report/dimensionless_block.hpp"
#include "report/input_summary.hpp"
#include "report/not_finite_report.hpp"
#include "report/results_report.hpp"

namespace kesta {
namespace {

// A write that failed on the report or the plot file ends the run.
Outcome write_failure(const FileChannels& files) {
  if (auto stop = files.report.status()) return stop;
  return files.plot.status();
}

// The banner box, the whole deck, then every value echoed and checked.
Outcome input_phase(FileChannels& files, Deck& deck) {
  // The banner box heads the report even when the deck proves unreadable.
  write_banner_box(files.report);
  if (auto problem = read_deck_lines(files.deck, deck)) return report_deck_problem(*problem, files.deck, deck, files.report);
  return write_input_summary(deck, files.report);
}

Outcome run_phases(FileChannels& files, Console& console, bool& dialogue_done) {
  if (auto stop = file_dialogue(files, console)) return stop;
  dialogue_done = true;

  Deck deck;
  if (auto stop = input_phase(files, deck)) return stop;
  if (auto stop = write_failure(files)) return stop;

  const Derived derived = derive(deck);
  const Inversion inversion = prepare_inversion(deck.NS);
  // A parameter that overflowed is named instead of printed.
  if (auto found = first_non_finite_parameter(deck, derived, inversion)) return stop_not_finite(files.report, *found);
  write_dimensionless_block(deck, derived, files.report);

  write_results_heading(files.report);
  console.out.write({Slash, X(3), Lit("Calculating aquifer responses ..."), Slash});
  if (auto stop = write_failure(files)) return stop;

  const Results results = superpose(deck, derived, inversion);
  if (auto found = first_non_finite_result(results)) return stop_not_finite(files.report, *found);
  write_results_table(results, files.report, files.plot.is_open() ? &files.plot : nullptr);
  return write_failure(files);
}

// Whether the run's outputs are put in place of the former files: not when it
// ended in the file dialogue, and not when a write failed (the output is not whole).
bool keeps_outputs(const Stop& end, bool dialogue_done) {
  return dialogue_done && end.status != static_cast<int>(IoError::WriteError);
}

// Closes the input deck, the report and the plot file, in that order. A close
// that loses output turns a normal end into a write failure.
int finish(FileChannels& files, const Outcome& stop, bool dialogue_done, Console& console) {
  files.deck.close();
  Stop end = stop.value_or(plain_stop());
  if (keeps_outputs(end, dialogue_done)) {
    Outcome report_closed = files.report.close();
    Outcome plot_closed = report_closed ? Outcome{} : files.plot.close();
    if (end.diagnostic.empty()) {
      if (report_closed) end = *report_closed;
      else if (plot_closed) end = *plot_closed;
    }
  }
  // An output that is not whole never replaces the former file.
  files.report.discard();
  files.plot.discard();
  if (end.status == kRejectedStatus) {
    end.diagnostic = "kesta: the input deck " + files.deck.name() + " was rejected; the reason stands at the end of " +
                     files.report.name() + "\n";
  }
  if (!end.diagnostic.empty()) {
    std::fputs(end.diagnostic.c_str(), console.err);
    std::fflush(console.err);
  }
  return end.status;
}

}  // namespace

int run_kesta(Console& console, PendingFiles* pending) {
  FileChannels files;
  files.pending = pending;
  bool dialogue_done = false;
  const Outcome stop = run_phases(files, console, dialogue_done);
  return finish(files, stop, dialogue_done, console);
}

}  // namespace kesta
