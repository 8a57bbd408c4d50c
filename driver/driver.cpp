#include "driver/driver.hpp"

#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "driver/file_dialogue.hpp"
#include "driver/input_phase.hpp"
#include "model/checked_simulation.hpp"
#include "model/contour_superposition.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/printed_accuracy.hpp"
#include "report/accuracy_warning.hpp"
#include "report/dimensionless_block.hpp"
#include "report/not_finite_report.hpp"
#include "report/results_report.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

// A write that failed on the report or the plot file ends the run.
Outcome write_failure(const FileChannels& files) {
  if (auto stop = files.report.status()) return stop;
  return files.plot.status();
}

// The console warning when the inversion's error reaches the printed digits,
// with the NS that does better; "" when every digit holds.
std::string inversion_warning(CheckedSimulation& simulation) {
  PairConvolution::Workspace work;
  const InversionError error = simulation.take_error(work);
  const PrintedAccuracy accuracy = check_printed(simulation.results(), error);
  if (accuracy.all_digits_correct()) return "";
  return accuracy_warning(simulation.results(), accuracy, advise_ns(simulation, error, work));
}

// Writes the results table while the inversion's error is estimated on
// another thread: both only read the results.
void write_table_and_check(CheckedSimulation& simulation, FileChannels& files, std::string& warning) {
  auto check = [&] {
    try {
      warning = inversion_warning(simulation);
    } catch (const std::exception& e) {
      // The results stand without the check; say that it is missing.
      warning = std::string("kesta: warning: the inversion's error was not estimated: ") + e.what() + "\n";
    }
  };
  OutputUnit* plot = files.plot.is_open() ? &files.plot : nullptr;
  // A short table is written in less time than a thread takes to start.
  if (worker_count() < 2 || simulation.results().head.size() < static_cast<std::size_t>(kParallelFrom)) {
    write_results_table(simulation.results(), files.report, plot);
    check();
    return;
  }
  std::jthread checker(check);
  write_results_table(simulation.results(), files.report, plot, 1);
  // The check takes longer than the table: meanwhile the files start on their
  // way to the disk, which replacing the former files would otherwise wait for.
  files.report.start_storing();
  if (plot != nullptr) plot->start_storing();
}

// The contour inversion's table, and a warning should its estimated error
// reach a printed digit.
Outcome write_contour_results(const Deck& deck, const Derived& derived, FileChannels& files, std::string& warning) {
  const ContourRun run = checked_contour_run(deck, derived);
  if (auto found = first_non_finite_result(run.results)) return stop_not_finite(files.report, *found);
  write_results_table(run.results, files.report, files.plot.is_open() ? &files.plot : nullptr);
  warning = contour_accuracy_warning(run.results, check_printed(run.results, run.error));
  return write_failure(files);
}

Outcome run_phases(FileChannels& files, Console& console, InversionMethod method, bool& dialogue_done,
                   std::string& warning) {
  if (auto stop = file_dialogue(files, console)) return stop;
  dialogue_done = true;

  Deck deck;
  if (auto stop = input_phase(files, deck, method)) return stop;
  if (auto stop = write_failure(files)) return stop;

  const Derived derived = derive(deck);
  const Inversion inversion = prepare_inversion(deck.NS);
  // A parameter that overflowed is named instead of printed.
  if (auto found = first_non_finite_parameter(deck, derived, inversion)) return stop_not_finite(files.report, *found);
  write_dimensionless_block(deck, derived, files.report);

  write_results_heading(files.report);
  console.out.write({Slash, X(3), Lit("Calculating aquifer responses ..."), Slash});
  if (auto stop = write_failure(files)) return stop;
  if (method == InversionMethod::Contour) return write_contour_results(deck, derived, files, warning);

  CheckedSimulation simulation(deck, derived, inversion, searched_orders());
  // From here on the run reads the deck's parameters only: its stage and
  // recharge series are in the results, and their memory goes back before
  // the inversion check needs its own.
  for (auto* series : {&deck.TIME, &deck.STAGE, &deck.RECH}) std::vector<double>().swap(*series);
  if (auto found = first_non_finite_result(simulation.results())) return stop_not_finite(files.report, *found);
  write_table_and_check(simulation, files, warning);
  if (auto stop = write_failure(files)) return stop;
  return std::nullopt;
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
      if (report_closed)
        end = *report_closed;
      else if (plot_closed)
        end = *plot_closed;
    }
  }
  // An output that is not whole never replaces the former file.
  files.report.discard();
  files.plot.discard();
  if (end.status == kRejectedStatus) {
    end.diagnostic = "kesta: the input deck " + files.deck.name() + " was rejected; the reason stands at the end of " +
                     files.report.name() + (end.remedy.empty() ? "" : "; " + end.remedy) + "\n";
  }
  if (!end.diagnostic.empty()) {
    // When the error stream itself is gone there is nobody left to tell.
    (void)std::fputs(end.diagnostic.c_str(), console.err);
    (void)std::fflush(console.err);
  }
  return end.status;
}

}  // namespace

int run_kesta(Console& console, PendingFiles* pending, InversionMethod inversion) {
  FileChannels files;
  files.pending = pending;
  bool dialogue_done = false;
  std::string warning;
  const Outcome stop = run_phases(files, console, inversion, dialogue_done, warning);
  const int status = finish(files, stop, dialogue_done, console);
  // Only a complete run warns, after its files are in place.
  if (status == 0 && !warning.empty()) {
    (void)std::fputs(warning.c_str(), console.err);  // a lost warning changes no result
    (void)std::fflush(console.err);
  }
  return status;
}

}  // namespace kesta
