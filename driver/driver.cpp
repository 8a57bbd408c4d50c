#include "driver/driver.hpp"

#include <cstdio>
#include <memory>

#include "driver/file_dialogue.hpp"
#include "driver/model_state.hpp"
#include "input/input_phase.hpp"
#include "model/dimensionless.hpp"
#include "model/stehfest.hpp"
#include "model/superposition.hpp"
#include "report/results_report.hpp"

namespace kesta {
namespace {

// A write that failed on the report or the plot file ends the run.
Outcome write_failure(const Units& units) {
  if (auto stop = units.report.status()) return stop;
  return units.plot.status();
}

Outcome run_phases(ModelState& state, Units& units, Console& console) {
  int IPLOT = 0;
  if (auto stop = file_dialogue(state, units, console, IPLOT)) return stop;

  if (auto stop = read_input_deck(state, units)) return stop;
  if (auto stop = write_failure(units)) return stop;

  const TimeScales scales = dimensionless_parameters(state);
  write_dimensionless_block(state, scales, units.report);

  state.EXPMAX = EXPMAX_VALUE;
  stehfest_weights(state.NS, state.V);
  state.LN2 = LN2_VALUE;

  write_results_heading(units.report);
  console.out.write({Slash, X(3), Lit("Calculating aquifer responses ..."), Slash});
  if (auto stop = write_failure(units)) return stop;

  superpose(state, scales);
  write_results_table(state, IPLOT, units);
  return write_failure(units);
}

// Closes the input deck, the report and the plot file, in that order. A close
// that loses output turns a normal end into a write failure.
int finish(Units& units, const Outcome& stop, Console& console) {
  units.deck.close();
  Outcome report_closed = units.report.close();
  Outcome plot_closed = units.plot.close();
  Stop end = stop.value_or(plain_stop());
  if (end.diagnostic.empty()) {
    if (report_closed) end = *report_closed;
    else if (plot_closed) end = *plot_closed;
  }
  if (!end.diagnostic.empty()) {
    std::fputs(end.diagnostic.c_str(), console.err);
    std::fflush(console.err);
  }
  return end.status;
}

}  // namespace

int run_kesta(Console& console) {
  // The model state is large with long series: it lives on the heap for the run.
  auto state = std::make_unique<ModelState>();
  Units units;
  const Outcome stop = run_phases(*state, units, console);
  return finish(units, stop, console);
}

}  // namespace kesta
