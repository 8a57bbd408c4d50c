#pragma once
// What a fit of deck values to field records finds: the estimates with their
// uncertainty, the fit of every record, what the data cannot tell apart, the
// model checks and the warnings. kesta-fit prints it as text or JSON, and the
// Python module returns it as a dictionary.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kesta/simulate_options.hpp"

namespace kesta {

// A record of heads at a well, or of seepage per unit length of stream.
enum class RecordKind { Head, Seepage };

// How the solver moves a parameter: positive values through their logarithm
// (steps are then relative, the bounds stay positive, and a 95 % interval
// never goes below zero), the others as they are.
enum class Scale { Linear, Log };

// Where the Stehfest inversion's NS comes from: the deck, the fit file's
// number, or the order with the smallest estimated inversion error for the
// starting deck.
enum class NsChoice { Deck, Given, Auto };

struct Estimate {
  std::string name;  // the deck's name: "AK"
  Scale scale = Scale::Linear;
  double initial = 0.0;
  double value = 0.0;
  // In deck units, allowing for the noise model; nothing when the data do not
  // determine the parameter or it is at a bound.
  std::optional<double> std_error;
  // For a log-scaled parameter symmetric in the logarithm, so never below zero.
  std::optional<std::pair<double, double>> ci95;
  // As if the residuals were independent (the same as above without a noise model).
  std::optional<double> plain_std_error;
  std::optional<std::pair<double, double>> plain_ci95;
  std::string at_bound;  // "min", "max" or empty
  // Left exactly where it started although the data still pull it away.
  bool unmoved = false;
  // Its 95 % interval does not close (an end infinite, or zero on a log scale).
  bool unbounded = false;
};

// A combination of parameters that the data determine, such as AK/AS.
struct Combination {
  std::vector<double> coefficients;  // one per parameter, in the solver's coordinates
  std::string expression;            // "AK/AS", "AK*XAA^0.5", "HINIT + 0.2*ln(AK)"
  double value = 0.0;
  std::optional<double> std_error;  // nothing without a covariance
  std::optional<std::pair<double, double>> ci95;
};

// Parameters the data cannot tell apart, or tell apart only poorly.
struct Finding {
  enum class Kind { NotSeparable, NoEffect, Correlated };
  Kind kind = Kind::NotSeparable;
  std::vector<std::size_t> parameters;  // indices into FitSummary::estimates
  std::vector<Combination> determined;  // what the data fix instead
  double correlation = 0.0;             // for Correlated
  std::string text;
};

// One distinct minimum that several starts found.
struct Minimum {
  std::vector<double> estimate;  // deck values, in the order of the estimates
  std::vector<double> internal;  // solver coordinates
  double ssr = 0.0;
  int starts = 0;          // how many starts ended here
  bool converged = false;  // every one of them converged
};

// How far the residuals of one record look like independent noise.
struct ResidualDiagnostics {
  double lag1 = 0.0;           // lag-1 autocorrelation, -1 to 1
  double durbin_watson = 2.0;  // about 2(1 - lag1): 2 for independent residuals, near 0 for a slow drift
  int runs = 0;                // runs of residuals of one sign (zeros skipped)
  double runs_expected = 0.0;  // for independent residuals with these counts of signs
  double runs_z = 0.0;         // (runs - expected) / standard deviation; negative: too few sign changes
  double runs_p = 1.0;         // two-sided, normal approximation; 1 when there are too few signs
};

// An observation whose residual is far beyond the other residuals of its record.
struct GrossOutlier {
  std::string where;  // "well.csv:14"
  int line = 0;
  double time = 0.0;
  double observed = 0.0;
  double standardized = 0.0;  // the residual over the RMS of the record's others
};

// The fit of one record.
struct SetSummary {
  std::string name;  // the file as the fit file names it
  RecordKind kind = RecordKind::Head;
  std::optional<double> distance;  // heads only
  std::size_t count = 0;           // observations with a positive weight
  double rmse = 0.0;               // of the weighted residuals
  double mean_residual = 0.0;
  // Of the weighted Stehfest inversion error at the observations; nothing
  // with the contour inversion, whose error is not estimated.
  std::optional<double> inversion_rms;
  ResidualDiagnostics diagnostics;
  std::optional<double> phi;           // the AR(1) coefficient, with that noise model
  std::vector<GrossOutlier> outliers;  // in time order
};

// One line of the model check list.
struct ModelCheck {
  std::string name;  // "converged", "no estimate at a bound", ...
  bool pass = true;
  std::string detail;  // why it fails, or empty
  // The estimates rest on it: when it fails they are not to be trusted as
  // they stand (kesta-fit's exit status 1); the others say what to look at.
  bool decisive = false;
};

// A caveat about the fit, with what it concerns.
struct FitWarning {
  enum class Kind {
    NotConverged,      // the solver stopped short
    GrossOutliers,     // subjects: the observations ("well.csv:14")
    AtBound,           // subjects: the parameter
    Autocorrelated,    // subjects: the records
    SeveralMinima,     // several starts ended in distinct minima
    NoStandardErrors,  // the covariance cannot be had
    NotIdentifiable,   // a finding; subjects: its parameters
    Unsettled,         // subjects: parameters not moved or not bounded by the data
    InversionError,    // subjects: the records where it is not small
    LinearBand,        // subjects: the series whose linear band the ensemble's contradicts
  };
  Kind kind = Kind::NotConverged;
  std::vector<std::string> subjects;
  std::string text;  // as the report prints it
};

// What the starts found, when there were several.
struct StartsSummary {
  int count = 1;
  unsigned seed = 0;            // of the Latin hypercube over the bounds
  std::vector<Minimum> minima;  // best first
};

// The four files a fit writes, and the prediction's when one is asked for
// (empty otherwise).
struct OutputNames {
  std::string fitted_deck, residuals, picture, bands;
  std::string fitted_case;  // <fit>.fitted.toml, for a fit that names a case; empty otherwise
  std::string prediction = {};
};

// One output series of the fitted model over the deck's time steps with its
// bands: the confidence band holds the model's curve, the prediction band a
// future observation of a record's kind (empty where no record gives its noise).
struct BandSeries {
  std::string name;  // "head_x60", "seepage", "total_seepage", "bank_storage", "bank_volume"
  std::vector<double> estimate, conf_lower, conf_upper;
  std::vector<double> pred_lower, pred_upper;
  // Variance of an observation's noise in the series' own units; nothing
  // without a record of this kind and place.
  std::optional<double> noise_variance;
  // The ensemble's percentile bands (empty without an ensemble), and the
  // largest difference of its confidence band's edges from the linear one's,
  // as a share of the linear half-width, at `ensemble_time` (`ensemble_upper`:
  // at the upper edge); nothing where the linear band has no width.
  std::vector<double> ens_conf_lower, ens_conf_upper, ens_pred_lower, ens_pred_upper;
  std::optional<double> ensemble_difference;
  double ensemble_time = 0.0;
  bool ensemble_upper = false;
  bool linear_untrusted = false;  // the difference is beyond the ensemble's tolerance
};

// The second route to the bands: parameter sets drawn from the fitted
// distribution (multivariate Student's t in solver coordinates), simulated.
struct EnsembleSummary {
  int members = 0;  // asked for; 0: no ensemble
  unsigned seed = 1;
  int used = 0;  // simulated within the bounds
  // The difference of band edges that says the linear band is not to be trusted.
  double tolerance = 0.0;
  std::string not_computed;  // why there are no ensemble bands; empty when computed
};

// The fitted model's output series with delta-method bands at one level.
struct Bands {
  double level = 0.95;
  std::vector<double> time;  // the deck's output steps
  // The date of every step, for a fit on a dated case's calendar; empty otherwise.
  std::vector<std::string> dates;
  std::vector<BandSeries> series;
  // What the bands take as fixed although the data do not fix it: a
  // parameter at its bound or not determined ("AK at its bound (max)").
  std::vector<std::string> assumptions;
  // Why there are no bands (the fit did not converge); empty when computed.
  std::string not_computed;
  EnsembleSummary ensemble;
};

// The fitted model run on another stress record (a design flood, the next
// season) with the same bands: the record's stress series and steps, the
// fitted aquifer.
struct Prediction {
  std::string record;  // the deck or case as named
  std::string file;    // where its bands go
  // For a dated case, the date of every step; empty otherwise.
  std::vector<std::string> dates;
  // not_computed: why nothing was predicted (the fit did not converge), and
  // then no file is written.
  Bands bands;
};

struct FitSummary {
  std::string fit_file;  // as named
  std::vector<Estimate> estimates;
  // Of the estimates; nothing where a parameter is undetermined.
  std::vector<std::vector<std::optional<double>>> correlation;
  std::vector<Finding> findings;
  std::vector<SetSummary> sets;
  std::size_t observations = 0;  // with a positive weight
  double rmse = 0.0;
  int degrees_of_freedom = 0;
  // Of Student's t in the intervals, bands and ensemble draws: with AR(1)
  // noise, the effective number of independent observations less the
  // parameters and phis; otherwise degrees_of_freedom.
  int interval_degrees_of_freedom = 0;
  int iterations = 0;
  long evaluations = 0;  // runs of simulate
  long parameter_sets = 0;
  double seconds = 0.0;
  bool converged = false;
  std::string stop_reason;                               // the solver's own words
  InversionMethod inversion = InversionMethod::Contour;  // that every simulation of the fit used
  int ns = 0;  // the fitted deck's number of Stehfest terms, which the Stehfest inversion used
  NsChoice ns_choice = NsChoice::Deck;
  // The Stehfest inversion's error at every record, against a tenth of its
  // RMSE; true with the contour inversion, which is not checked.
  bool inversion_small = true;
  bool ar1 = false;  // the standard errors allow for AR(1) noise per record
  int noise_rounds = 0;
  double relative_step = 0.0;  // of the central differences
  StartsSummary starts;
  std::vector<ModelCheck> checks;
  std::vector<FitWarning> warnings;
  Bands bands;
  std::optional<Prediction> prediction;  // when the fit file or the caller asks for one
  OutputNames files;
  std::string files_not_written;  // why the three files could not be written; empty when they were
};

// The names the JSON report gives these values: "head", "log", "not_separable", "fit file".
std::string_view name_of(RecordKind kind);
std::string_view name_of(Scale scale);
std::string_view name_of(Finding::Kind kind);
std::string_view name_of(NsChoice choice);

// Every decisive check passed: the estimates can be taken as they stand.
bool trusted(const FitSummary& summary);

}  // namespace kesta
