#pragma once
// Everything a fit reports, gathered once for the text table, the JSON object
// and the files.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fit/case/fit_case.hpp"
#include "fit/case/inversion_check.hpp"
#include "fit/estimation/estimates.hpp"
#include "fit/estimation/identifiability.hpp"
#include "fit/estimation/least_squares.hpp"
#include "fit/estimation/multistart.hpp"
#include "fit/estimation/residual_diagnostics.hpp"

namespace kesta::fit_detail {

// An observation whose residual is beyond kGrossOutlier times the RMS of the
// other residuals of its record.
struct GrossOutlier {
  std::string where;  // "well.csv:14"
  int line = 0;
  double time = 0.0;
  double observed = 0.0;
  double standardized = 0.0;  // the residual over the RMS of the record's others
};

struct SetSummary {
  std::string name;
  Kind kind = Kind::Head;
  std::optional<double> distance;  // heads only
  std::size_t count = 0;
  double rmse = 0.0;  // of the weighted residuals
  double mean_residual = 0.0;
  double inversion_rms = 0.0;  // of the weighted inversion error at the observations
  ResidualDiagnostics diagnostics;
  std::optional<double> phi;           // the AR(1) coefficient, with that noise model
  std::vector<GrossOutlier> outliers;  // in time order
};

// One line of the model check list.
struct ModelCheck {
  std::string name;  // "converged", "no estimate at a bound", ...
  bool pass = true;
  std::string detail;  // why it fails, or empty
  // The estimates rest on it: when it fails the exit status is 1 (the
  // others say what to look at, and the estimates stand).
  bool decisive = false;
};

// What the starts found, when there were several.
struct StartsSummary {
  int count = 1;
  unsigned seed = kStartsSeed;
  std::vector<Minimum> minima;  // best first
};

struct OutputNames {
  std::string fitted_deck, residuals, picture;
};

struct FitSummary {
  std::string fit_file;
  std::vector<Estimate> estimates;
  std::vector<std::vector<std::optional<double>>> correlation;
  std::vector<Finding> findings;
  std::vector<SetSummary> sets;
  std::size_t observations = 0;
  double rmse = 0.0;
  int degrees_of_freedom = 0;
  int iterations = 0;
  long evaluations = 0;  // runs of simulate
  long parameter_sets = 0;
  double seconds = 0.0;
  bool converged = false;
  std::string stop_reason;
  int ns = 0;  // the fitted deck's number of Stehfest terms
  NsChoice ns_choice = NsChoice::Deck;
  bool inversion_small = true;  // at every set, against kInversionShare of its RMSE
  bool ar1 = false;             // the standard errors allow for AR(1) noise per set
  int noise_rounds = 0;
  double relative_step = 0.0;  // of the central differences
  StartsSummary starts;
  std::vector<ModelCheck> checks;
  std::vector<std::string> warnings;  // the findings' words and every other caveat
  OutputNames files;
  std::string files_not_written;  // why the three files could not be written; empty when they were
};

// Names of the files written next to the fit file, or in `folder` when one is
// given: <fit>.fitted.dat and so on, <fit> being the fit file's name without
// its extension.
OutputNames output_names(const std::string& fit_file, const std::filesystem::path& folder = {});

// Whether the estimates can be taken as they stand: every decisive check
// passed. Decides the exit status of a fit that was computed.
bool trusted(const FitSummary& summary);

FitSummary summarize(const FitCase& fit_case, const LeastSquaresFit& fit, const InversionCheck& inversion,
                     const StartsSummary& starts, long evaluations, double seconds);

}  // namespace kesta::fit_detail
