#include "fit/fitting.hpp"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

#include "fit/case/deck_model.hpp"
#include "fit/case/ensemble_bands.hpp"
#include "fit/case/fit_case.hpp"
#include "fit/case/fitted_bands.hpp"
#include "fit/case/inversion_check.hpp"
#include "fit/case/prediction_record.hpp"
#include "fit/output/fit_summary.hpp"
#include "fit/output/fitted_case.hpp"
#include "fit/output/fitted_deck.hpp"
#include "fit/output/output_files.hpp"
#include "io/output_target.hpp"
#include "support/parallel_for.hpp"

namespace kesta::fit_detail {

namespace {

// Some of the deck's messages run over several lines in the report; an error
// of a fit is always one line.
std::string one_line(std::string message) {
  for (char& c : message)
    if (c == '\n' || c == '\r') c = ' ';
  return message;
}

// Where the four files go, or why they cannot go anywhere: a fit file that is
// not a regular file (a pipe, /dev/stdin) has no folder or name to lend them.
std::optional<std::string> output_folder_problem(const std::filesystem::path& fit_file,
                                                 const std::filesystem::path& folder) {
  std::error_code ec;
  if (!folder.empty()) {
    if (!std::filesystem::is_directory(folder, ec)) return "--output-dir " + folder.string() + ": is not a folder";
    return std::nullopt;
  }
  // /dev/stdin and its kin lead through an open descriptor: even when that is
  // a regular file, its folder and name are not the ones the user gave.
  OutputTarget named;
  if (resolve_output(fit_file.string(), named) != 0 || !named.exists || !named.replaced || !S_ISREG(named.info.st_mode))
    return fit_file.string() +
           ": is not a regular file, so it cannot name the fitted deck, residuals and picture; give a folder for "
           "them with --output-dir";
  return std::nullopt;
}

FitCase read_case(const std::filesystem::path& fit_file, const std::optional<InversionMethod>& inversion) {
  try {
    FitFile file = read_fit_file(fit_file);
    if (inversion) {
      file.inversion = *inversion;
      file.inversion_chosen = true;
      // The contour inversion has no order: the fit file's ns goes unused.
      if (*inversion == InversionMethod::Contour) file.ns_choice = NsChoice::Deck;
    }
    return load_fit_case(std::move(file));
  } catch (const FitInputError& e) {
    throw FitInputError::located(e.file(), e.line(), one_line(e.what()));
  }
}

// The prediction's file: the fit file's output name, or <fit>.prediction.csv
// beside the bands.
std::string prediction_output(const OutputNames& names, const PredictionEntry& entry) {
  if (!entry.output.empty()) return entry.output_path.string();
  const std::string suffix = ".bands.csv";
  return names.bands.substr(0, names.bands.size() - suffix.size()) + ".prediction.csv";
}

struct Solved {
  LeastSquaresFit fit;
  StartsSummary starts;
  double seconds = 0.0;
};

// Several starts: each solved to its minimum on both cores; the best minimum
// is then solved again from where it lies, with the noise model.
Solved solve(const FitCase& fit_case, const BatchModel& batch, const SolverOptions& solver) {
  const auto start = std::chrono::steady_clock::now();
  Solved out;
  const std::string& shown = fit_case.file.shown_name;
  try {
    std::vector<FreeParameter> from = fit_case.free_parameters();
    if (fit_case.file.starts > 1) {
      out.starts.count = fit_case.file.starts;
      out.starts.minima = find_minima(from, latin_hypercube_starts(from, out.starts.count, kStartsSeed),
                                      fit_case.observed, batch, fit_case.file.max_iterations, run_in_parallel);
      if (out.starts.minima.empty())
        throw FitInputError::located(shown, 0, shown + ": the model cannot be computed at any of the starts");
      for (std::size_t i = 0; i < from.size(); ++i) from[i].initial = out.starts.minima.front().estimate[i];
    }
    out.fit = fit_least_squares(from, fit_case.observed, batch, solver);
  } catch (const ComputationFailure& e) {
    // At the initial values the input is at fault; later, the fit.
    const std::string message = shown + ": " + one_line(e.what());
    if (e.at_start()) throw FitInputError::located(shown, 0, message);
    throw FitComputationError(message);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  out.seconds = elapsed.count();
  return out;
}

// The picture's units: the command line's, else the fit file's, else a
// case's own (its results are labelled in them), else L and T.
plot::Units picture_units(const FitCase& fit_case, const plot::Units* units) {
  if (units) return *units;
  if (fit_case.file.units) return *fit_case.file.units;
  if (fit_case.prepared) return {fit_case.prepared->length_unit, fit_case.prepared->time_unit};
  return {};
}

}  // namespace

FitSummary fit_and_write(const std::filesystem::path& fit_file, const FitOptions& options, PendingFiles* pending,
                         const plot::Units* units) {
  if (options.ensemble && *options.ensemble != 0 &&
      (*options.ensemble < kLeastMembers || *options.ensemble > kMostMembers))
    throw FitInputError(
        fit_file.string(), 0,
        "ensemble " + std::to_string(*options.ensemble) + " is not 0 (no ensemble) or 20 to 100000 parameter sets");
  const FitCase fit_case = read_case(fit_file, options.inversion);
  // The further wells and the prediction's record are checked before the fit is solved.
  const std::optional<PredictionEntry> entry = prediction_entry(fit_case.file, options.predict);
  std::optional<PredictionRecord> record;
  try {
    check_band_distances(fit_case);
    if (entry) record = load_prediction(fit_case, *entry);
  } catch (const FitInputError& e) {
    throw FitInputError::located(e.file(), e.line(), one_line(e.what()));
  }
  if (const auto problem = output_folder_problem(fit_file, options.output_folder))
    throw FitInputError::located(fit_file.string(), 0, one_line(*problem));
  OutputNames names = output_names(fit_case.file.shown_name, options.output_folder);
  if (!fit_case.prepared) names.fitted_case.clear();
  if (entry) names.prediction = prediction_output(names, *entry);
  if (const auto clash = output_clash(names, fit_case, record ? record->inputs : std::vector<std::filesystem::path>{}))
    throw FitInputError::located(fit_case.file.shown_name, 0, one_line(*clash));

  const DeckModel model(fit_case);
  const BatchModel batch = [&model](const std::vector<std::vector<double>>& sets) { return model.evaluate(sets); };
  const Solved solved = solve(fit_case, batch, {fit_case.file.max_iterations, options.progress, fit_case.file.ar1});
  // Only the Stehfest sum has an error worth weighing against the misfit.
  std::optional<InversionCheck> inversion;
  if (fit_case.file.inversion == InversionMethod::Stehfest) {
    try {
      inversion = check_inversion(fit_case, model, solved.fit.estimate, solved.fit.residual);
    } catch (const std::exception& e) {
      throw FitComputationError(fit_case.file.shown_name +
                                ": the inversion error cannot be estimated at the estimate: " + one_line(e.what()));
    }
  }
  FitSummary summary = summarize(fit_case, solved.fit, inversion, solved.starts, model.simulations(), solved.seconds);
  summary.files = names;
  const std::vector<double> distances = band_distances(model, fit_case.file);
  const BandRuns band_runs(fit_case.deck, fit_case, distances);
  summary.bands = fitted_bands(fit_case, band_runs, solved.fit, fit_case.file.band_level);
  add_ensemble_bands(fit_case, band_runs, solved.fit, options.ensemble.value_or(fit_case.file.ensemble),
                     fit_case.file.ensemble_seed, summary.bands, options.simulate_members);
  if (auto warning = linear_band_warning(summary.bands)) summary.warnings.push_back(std::move(*warning));
  if (const CaseCalendar* calendar = fit_case.calendar(); calendar && calendar->dated())
    for (const double t : summary.bands.time) summary.bands.dates.push_back(calendar->date_of(t));
  std::optional<std::string> predicted;
  if (record) {
    summary.prediction = predict(fit_case, *record, distances, solved.fit, summary.bands);
    summary.prediction->file = names.prediction;
    if (summary.prediction->bands.not_computed.empty())
      predicted = bands_csv(summary.prediction->bands, summary.prediction->dates);
  }
  const Deck fitted = model.deck_with(solved.fit.estimate);
  const std::string fitted_case_text =
      fit_case.prepared ? fitted_case(fit_case, fitted, names.fitted_case, names.fitted_deck) : std::string();
  const auto not_written =
      write_output_files(names, fitted_deck(fitted, summary.inversion), residuals_csv(fit_case, solved.fit),
                         fit_picture(fit_case, model, solved.fit, summary.bands, picture_units(fit_case, units)),
                         bands_csv(summary.bands, summary.bands.dates), pending, fitted_case_text, predicted);
  if (not_written) {
    summary.files_not_written = *not_written;
    throw FitWriteError(one_line(*not_written), std::move(summary));
  }
  return summary;
}

}  // namespace kesta::fit_detail

namespace kesta {

FitSummary fit(const std::filesystem::path& fit_file, const FitOptions& options) {
  return fit_detail::fit_and_write(fit_file, options, nullptr);
}

}  // namespace kesta
