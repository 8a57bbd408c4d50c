#include "fit/fit_run.hpp"

#include <chrono>
#include <stdexcept>

#include "fit/case/deck_model.hpp"
#include "fit/case/fit_case.hpp"
#include "fit/case/inversion_check.hpp"
#include "fit/case/parallel_runs.hpp"
#include "fit/input/fit_error.hpp"
#include "fit/output/fit_summary.hpp"
#include "fit/output/json_report.hpp"
#include "fit/output/output_files.hpp"
#include "fit/output/text_report.hpp"

namespace kesta::fit {

namespace {

// Some of the deck's messages run over several lines in the report; an error
// of kesta-fit is always one line.
std::string one_line(std::string message) {
  for (char& c : message)
    if (c == '\n' || c == '\r') c = ' ';
  return message;
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

  const DeckModel model(fit_case);
  const BatchModel batch = [&model](const std::vector<std::vector<double>>& sets) { return model.evaluate(sets); };
  SolverOptions solver{fit_case.file.max_iterations, options.quiet ? nullptr : &err, fit_case.file.ar1};
  const auto start = std::chrono::steady_clock::now();
  LeastSquaresFit fit;
  StartsSummary starts;
  try {
    // Several starts: each solved to its minimum on both cores; the best
    // minimum is then solved again from where it lies, with the noise model.
    std::vector<FreeParameter> from = fit_case.free;
    if (fit_case.file.starts > 1) {
      starts.count = fit_case.file.starts;
      starts.minima = find_minima(fit_case.free, latin_hypercube_starts(fit_case.free, starts.count, starts.seed),
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
  const FitSummary summary = summarize(fit_case, fit, inversion, starts, model.simulations(), elapsed.count());

  try {
    write_output_files(summary.files, write_deck(model.deck_with(fit.estimate)), residuals_csv(fit_case, fit),
                       fit_picture(fit_case, model, fit));
  } catch (const std::exception& e) {
    err << "kesta-fit: " << one_line(e.what()) << '\n';
    return kWriteFailed;
  }
  if (options.json)
    write_json_report(summary, out);
  else
    write_text_report(summary, out);
  out.flush();
  return trusted(summary) ? kConverged : kNotConverged;
}

}  // namespace kesta::fit
