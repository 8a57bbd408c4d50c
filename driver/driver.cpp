#include "driver/driver.hpp"

#include <cstdio>
#include <memory>

#include "driver/file_dialogue.hpp"
#include "driver/model_state.hpp"
#include "input/input_phase.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/superposition.hpp"
#include "report/not_finite_report.hpp"
#include "report/results_report.hpp"

namespace kesta {
namespace {

// A write that failed on the report or the plot file ends the run.
Outcome write_failure(const Units& units) {
  if (auto stop = units.report.status()) return stop;
  return units.plot.status();
}

Outcome run_phases(ModelState& state, Units& units, Console& console, bool& dialogue_done) {
  int IPLOT = 0;
  if (auto stop = file_dialogue(state, units, console, IPLOT)) return stop;
  dialogue_done = true;

  if (auto stop = read_input_deck(state, units)) return stop;
  if (auto stop = write_failure(units)) return stop;

  const TimeScales scales = dimensionless_parameters(state);
  prepare_inversion(state);
  // A parameter that overflowed is named instead of printed.
  if (auto found = first_non_finite_parameter(state, scales)) return stop_not_finite(units.report, *found);
  write_dimensionless_block(state, scales, units.report);

  write_results_heading(units.report);
  console.out.write({Slash, X(3), Lit("Calculating aquifer responses ..."), Slash});
  if (auto stop = write_failure(units)) return stop;

  superpose(state, scales);
  if (auto found = first_non_finite_result(state)) return stop_not_finite(units.report, *found);
  write_results_table(state, IPLOT, units);
  return write_failure(units);
}

// Whether the run's outputs are put in place of the former files: not when it
// ended in the file dialogue, and not when a write failed (the output is not whole).
bool keeps_outputs(const Stop& end, bool dialogue_done) {
  return dialogue_done && end.status != static_cast<int>(IoError::WriteError);
}

// Closes the input deck, the report and the plot file, in that order. A close
// that loses output turns a normal end into a write failure.
int finish(Units& units, const Outcome& stop, bool dialogue_done, Console& console) {
  units.deck.close();
  Stop end = stop.value_or(plain_stop());
  if (keeps_outputs(end, dialogue_done)) {
    Outcome report_closed = units.report.close();
    Outcome plot_closed = report_closed ? Outcome{} : units.plot.close();
    if (end.diagnostic.empty()) {
      if (report_closed) end = *report_closed;
      else if (plot_closed) end = *plot_closed;
    }
  }
  // An output that is not whole never replaces the former file.
  units.report.discard();
  units.plot.discard();
  if (end.status == kRejectedStatus) {
    end.diagnostic = "kesta: the input deck " + units.deck.name() + " was rejected; the reason stands at the end of " +
                     units.report.name() + "\n";
  }
  if (!end.diagnostic.empty()) {
    std::fputs(end.diagnostic.c_str(), console.err);
    std::fflush(console.err);
  }
  return end.status;
}

}  // namespace

int run_kesta(Console& console, PendingFiles* pending) {
  // The model state is large with long series: it lives on the heap for the run.
  auto state = std::make_unique<ModelState>();
  Units units;
  units.pending = pending;
  bool dialogue_done = false;
  Outcome stop = run_phases(*state, units, console, dialogue_done);
  return finish(units, stop, dialogue_done, console);
}

}  // namespace kesta
