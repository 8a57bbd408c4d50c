#include "fit/fit_run.hpp"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

#include "fit/case/deck_model.hpp"
#include "fit/case/fit_case.hpp"
#include "fit/case/inversion_check.hpp"
#include "fit/case/parallel_runs.hpp"
#include "fit/input/fit_error.hpp"
#include "fit/output/fit_summary.hpp"
#include "fit/output/json_report.hpp"
#include "fit/output/output_files.hpp"
#include "fit/output/text_report.hpp"
#include "io/output_target.hpp"

namespace kesta::fit_detail {

namespace {

// Some of the deck's messages run over several lines in the report; an error
// of kesta-fit is always one line.
std::string one_line(std::string message) {
  for (char& c : message)
    if (c == '\n' || c == '\r') c = ' ';
  return message;
}

// Where the three files go, or why they cannot go anywhere: a fit file that is
// not a regular file (a pipe, /dev/stdin) has no folder or name to lend them.
std::optional<std::string> output_folder_problem(const RunOptions& options) {
  std::error_code ec;
  if (!options.output_folder.empty()) {
    if (!std::filesystem::is_directory(options.output_folder, ec))
      return "--output-dir " + options.output_folder.string() + ": is not a folder";
    return std::nullopt;
  }
  // /dev/stdin and its kin lead through an open descriptor: even when that is
  // a regular file, its folder and name are not the ones the user gave.
  OutputTarget named;
  if (resolve_output(options.fit_file.string(), named) != 0 || !named.exists || !named.replaced ||
      !S_ISREG(named.info.st_mode))
    return options.fit_file.string() +
           ": is not a regular file, so it cannot name the fitted deck, residuals and picture; give a folder for "
           "them with --output-dir";
  return std::nullopt;
}

// The report on the stream given, and whether all of it got there.
bool write_report(const FitSummary& summary, bool json, std::ostream& out) {
  if (json)
    write_json_report(summary, out);
  else
    write_text_report(summary, out);
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace

int run_fit(const RunOptions& options, std::ostream& out, std::ostream& err) {
  FitCase fit_case;
  try {
    fit_case = load_fit_case(read_fit_file(options.fit_file));
  } catch (const FitInputError& e) {
    err << "kesta-fit: " << one_line(e.what()) << '\n';
    return kBadInput;
  }
  if (const auto problem = output_folder_problem(options)) {
    err << "kesta-fit: " << one_line(*problem) << '\n';
    return kBadInput;
  }
  const OutputNames names = output_names(fit_case.file.shown_name, options.output_folder);
  if (const auto clash = output_clash(names, fit_case)) {
    err << "kesta-fit: " << one_line(*clash) << '\n';
    return kBadInput;
  }

  const DeckModel model(fit_case);
  const BatchModel batch = [&model](const std::vector<std::vector<double>>& sets) { return model.evaluate(sets); };
  SolverOptions solver{fit_case.file.max_iterations, options.quiet ? nullptr : &err, fit_case.file.ar1};
  const auto start = std::chrono::steady_clock::now();
  LeastSquaresFit fit;
  StartsSummary starts;
  try {
    // Several starts: each solved to its minimum on both cores; the best
    // minimum is then solved again from where it lies, with the noise model.
    std::vector<FreeParameter> from = fit_case.free_parameters();
    if (fit_case.file.starts > 1) {
      starts.count = fit_case.file.starts;
      starts.minima = find_minima(fit_case.free_parameters(), latin_hypercube_starts(fit_case.free_parameters(), starts.count, starts.seed),
                                  fit_case.observed, batch, fit_case.file.max_iterations, run_in_parallel);
      if (starts.minima.empty()) throw std::runtime_error("the model cannot be computed at any of the starts");
      for (std::size_t i = 0; i < from.size(); ++i) from[i].initial = starts.minima.front().estimate[i];
    }
    fit = fit_least_squares(from, fit_case.observed, batch, solver);
  } catch (const FitComputationError& e) {
    // At the initial values the input is at fault; later, the fit.
    err << "kesta-fit: " << fit_case.file.shown_name << ": " << one_line(e.what()) << '\n';
    return e.at_start() ? kBadInput : kFitFailed;
  } catch (const std::runtime_error& e) {
    err << "kesta-fit: " << fit_case.file.shown_name << ": " << one_line(e.what()) << '\n';
    return kBadInput;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  InversionCheck inversion;
  try {
    inversion = check_inversion(fit_case, model, fit.estimate, fit.residual);
  } catch (const std::exception& e) {
    err << "kesta-fit: " << fit_case.file.shown_name
        << ": the inversion error cannot be estimated at the estimate: " << one_line(e.what()) << '\n';
    return kFitFailed;
  }
  FitSummary summary = summarize(fit_case, fit, inversion, starts, model.simulations(), elapsed.count());
  summary.files = names;

  // The report is printed even when the files cannot be written: the fit's
  // result is not thrown away for want of a writable folder.
  const auto not_written =
      write_output_files(names, write_deck(model.deck_with(fit.estimate)), residuals_csv(fit_case, fit),
                         fit_picture(fit_case, model, fit), options.pending);
  if (not_written) summary.files_not_written = *not_written;
  const bool reported = write_report(summary, options.json, out);
  if (not_written) err << "kesta-fit: " << one_line(*not_written) << '\n';
  if (!reported) err << "kesta-fit: the report could not be written to the standard output\n";
  if (not_written || !reported) return kWriteFailed;
  return trusted(summary) ? kConverged : kNotConverged;
}

}  // namespace kesta::fit_detail
