#include "fit/output/fit_summary.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "fit/estimation/number_text.hpp"

namespace kesta::fit_detail {

namespace {

// The records that could separate parameters, judged by what the fit lacks.
std::string more_data(const FitCase& c) {
  bool heads = false, seepage = false;
  for (const ObservationSet& set : c.sets) (set.kind == Kind::Head ? heads : seepage) = true;
  if (!seepage) return "A seepage record";
  if (!heads) return "Heads at a well";
  return "Records over a longer time or at other wells";
}

std::vector<GrossOutlier> gross_outliers(const FitCase& c, std::size_t set, std::size_t first,
                                         const std::vector<double>& in_order) {
  const std::vector<double> z = standardized_residuals(in_order);
  std::vector<GrossOutlier> out;
  for (std::size_t t = 0; t < z.size(); ++t) {
    if (!(std::abs(z[t]) > kGrossOutlier)) continue;
    const std::size_t k = c.observed.sets[set][t];
    const CsvObservation& row = c.sets[set].rows[k - first];
    out.push_back({c.observed.name(k), row.line, row.time, row.value, z[t]});
  }
  return out;
}

std::vector<SetSummary> set_summaries(const FitCase& c, const LeastSquaresFit& fit,
                                      const std::optional<InversionCheck>& inversion) {
  std::vector<SetSummary> out;
  std::size_t k = 0;
  for (const ObservationSet& set : c.sets) {
    const std::size_t first = k;
    const std::size_t counted = c.observed.sets[out.size()].size();
    SetSummary s;
    s.name = set.name;
    s.kind = set.kind;
    s.count = counted;
    if (set.kind == Kind::Head) s.distance = set.distance;
    double sum = 0.0, squares = 0.0;
    for (std::size_t i = 0; i < set.rows.size(); ++i, ++k) {
      sum += fit.residual[k];
      squares += fit.residual[k] * fit.residual[k];
    }
    const double n = static_cast<double>(counted);
    s.rmse = std::sqrt(squares / n);
    s.mean_residual = sum / n;
    if (inversion) s.inversion_rms = inversion->rms[out.size()];
    std::vector<double> in_order;
    for (const std::size_t r : c.observed.sets[out.size()]) in_order.push_back(fit.residual[r]);
    s.diagnostics = diagnose_residuals(in_order);
    s.outliers = gross_outliers(c, out.size(), first, in_order);
    if (!fit.phi.empty()) s.phi = fit.phi[out.size()];
    out.push_back(s);
  }
  return out;
}

std::string inversion_warning(const FitSummary& s, const InversionCheck& inversion) {
  std::string sets;
  for (std::size_t i = 0; i < s.sets.size(); ++i) {
    if (inversion.small[i]) continue;
    sets += (sets.empty() ? "" : "; ") + s.sets[i].name + " " + six_digits(inversion.rms[i]) + " against an RMSE of " +
            six_digits(inversion.rmse[i]);
  }
  std::string text =
      "The inversion's own error at NS = " + std::to_string(inversion.NS) +
      " is not small against the misfit (RMS of the weighted inversion error at the observations: " + sets +
      "): it moves the estimates as much as the data do.";
  if (inversion.better && inversion.better->NS != inversion.NS)
    text +=
        " NS = " + std::to_string(inversion.better->NS) +
        " has the smallest estimated error for the fitted deck: write ns = " + std::to_string(inversion.better->NS) +
        " or ns = \"auto\" in the fit file.";
  else
    text += " No NS does better for this deck.";
  // The remedy that needs no order at all.
  text +=
      " The contour inversion has no such error (about 1e-13 of the stage changes): remove ns and inversion from the "
      "fit file to fit by it.";
  return text;
}

// "AK", "AK and AS", "AK, AS and XAA".
std::string listed(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i)
    out += (i == 0 ? "" : (i + 1 == items.size() ? " and " : ", ")) + items[i];
  return out;
}

// The observations named in a check or warning; the rest counted.
constexpr std::size_t kOutliersNamed = 5;

std::string outlier_list(const FitSummary& s, bool with_values) {
  std::vector<std::string> named;
  std::size_t more = 0;
  for (const SetSummary& set : s.sets) {
    for (const GrossOutlier& o : set.outliers) {
      if (named.size() == kOutliersNamed) {
        ++more;
        continue;
      }
      std::string text = o.where + " (";
      if (with_values) text += "time " + shortest(o.time) + ", observed " + shortest(o.observed) + ": ";
      named.push_back(text + six_digits(std::abs(o.standardized)) + ")");
    }
  }
  if (more > 0) named.push_back(std::to_string(more) + " more");
  return listed(named);
}

std::string outlier_warning(const FitSummary& s) {
  return "Gross outliers: " + outlier_list(s, true) + ". The residual there is more than " + shortest(kGrossOutlier) +
         " times the RMS of the other residuals of its record (the figure in brackets). A value typed or logged "
         "wrong (a decimal point, a sign, a unit, a sensor fault) is the usual cause; the estimates then follow it "
         "rather than the other data. Correct the value, or give its line the weight 0 to leave it out.";
}

// Not moved by the solver, or with an interval that does not close.
std::string unsettled_warning(const FitSummary& s) {
  std::vector<std::string> unmoved, unbounded;
  for (const Estimate& e : s.estimates) {
    if (e.unmoved) unmoved.push_back(e.name);
    if (e.unbounded) unbounded.push_back(e.name);
  }
  std::string text;
  if (!unmoved.empty())
    text += "The solver left " + listed(unmoved) +
            (unmoved.size() == 1 ? " at its initial value: the estimate is the starting value"
                                 : " at their initial values: the estimates are the starting values") +
            ", not what the data say. ";
  if (!unbounded.empty())
    text += (unbounded.size() == 1 ? "The 95 % interval of " : "The 95 % intervals of ") + listed(unbounded) +
            (unbounded.size() == 1 ? " does not close (it reaches 0 or infinity): the data do not bound it. "
                                   : " do not close (they reach 0 or infinity): the data do not bound them. ");
  if (text.empty()) return text;
  return text +
         "Look first for a gross outlier or a wrong weight (the RMSE and residuals of each record); otherwise start "
         "closer, or fix the value (take it out of [parameters]).";
}

// With AR(1) noise both sets of standard errors are known: say for which
// parameters the plain ones are the smaller, rather than of all of them.
std::string plain_against_ar1(const FitSummary& s) {
  std::vector<std::string> smaller, larger;
  for (const Estimate& e : s.estimates) {
    if (!e.std_error || !e.plain_std_error) continue;
    const std::string pair = " (" + six_digits(*e.plain_std_error) + " against " + six_digits(*e.std_error) + ")";
    (*e.plain_std_error < *e.std_error ? smaller : larger).push_back(e.name + pair);
  }
  std::string text = "The standard errors and intervals given allow for it (AR(1) noise per set).";
  if (!smaller.empty())
    text += " The plain ones, which treat the residuals as independent, understate the uncertainty of " +
            listed(smaller) + ".";
  if (!larger.empty())
    text += std::string(smaller.empty() ? " The plain ones, which treat the residuals as independent," : " For") +
            (smaller.empty() ? " are not the smaller here: " : " ") + listed(larger) +
            (larger.size() == 1 ? " the plain one is" : " the plain ones are") + " the larger.";
  return text;
}

}  // namespace

std::vector<FitWarning> caveats(const FitSummary& s, const LeastSquaresFit& fit,
                                const std::optional<InversionCheck>& inversion) {
  using Kind = FitWarning::Kind;
  std::vector<FitWarning> out;
  if (!s.converged)
    out.push_back({Kind::NotConverged,
                   {},
                   "The solver stopped before it converged: " + s.stop_reason +
                       " The estimates are where it stopped; see docs/fitting.md on fits that do not converge."});
  std::vector<std::string> outliers;
  for (const SetSummary& set : s.sets)
    for (const GrossOutlier& o : set.outliers) outliers.push_back(o.where);
  if (!outliers.empty()) out.push_back({Kind::GrossOutliers, outliers, outlier_warning(s)});
  for (const Estimate& e : s.estimates) {
    if (e.at_bound.empty()) continue;
    out.push_back({Kind::AtBound,
                   {e.name},
                   e.name + " is at its bound (" + e.at_bound + " = " + six_digits(e.value) +
                       "): the data pull it beyond, so its standard error and interval are not meaningful. Widen the "
                       "bound if a value beyond it is physically possible, or fix " +
                       e.name + " at a value known from elsewhere (take it out of [parameters])."});
  }
  std::string correlated;
  std::vector<std::string> correlated_sets;
  for (const SetSummary& set : s.sets)
    if (set.diagnostics.lag1 > kStrongAutocorrelation) {
      correlated += (correlated.empty() ? "" : ", ") + set.name + " " + decimals(set.diagnostics.lag1, 2);
      correlated_sets.push_back(set.name);
    }
  if (!correlated.empty())
    out.push_back({Kind::Autocorrelated, correlated_sets,
                   "The residuals are autocorrelated (lag-1: " + correlated + "): neighbouring errors share the " +
                       "same misfit. " +
                       (s.ar1 ? plain_against_ar1(s)
                              : "Standard errors that treat them as independent, the ones given here (noise = "
                                "\"independent\"), understate the uncertainty; noise = \"ar1\" allows for it.")});
  if (s.starts.minima.size() > 1)
    out.push_back({Kind::SeveralMinima,
                   {},
                   std::to_string(s.starts.count) + " starts found " + std::to_string(s.starts.minima.size()) +
                       " distinct minima (listed under Starts); the estimate is the best. Check that the others are "
                       "worse for a reason the model explains, or narrow the bounds to the physically plausible."});
  if (!fit.covariance_problem.empty())
    out.push_back({Kind::NoStandardErrors, {}, "No standard errors: " + fit.covariance_problem + "."});
  for (const Finding& f : s.findings) {
    std::vector<std::string> names;
    for (const std::size_t i : f.parameters) names.push_back(s.estimates[i].name);
    out.push_back({Kind::NotIdentifiable, names, f.text});
  }
  if (const std::string unsettled = unsettled_warning(s); !unsettled.empty()) {
    std::vector<std::string> names;
    for (const Estimate& e : s.estimates)
      if (e.unmoved || e.unbounded) names.push_back(e.name);
    out.push_back({Kind::Unsettled, names, unsettled});
  }
  if (inversion && !inversion->all_small()) {
    std::vector<std::string> sets;
    for (std::size_t i = 0; i < s.sets.size(); ++i)
      if (!inversion->small[i]) sets.push_back(s.sets[i].name);
    out.push_back({Kind::InversionError, sets, inversion_warning(s, *inversion)});
  }
  return out;
}

// The names of the estimates that qualify, "AK, AS".
namespace {

std::string names_where(const FitSummary& s, bool Estimate::*flag) {
  std::string out;
  for (const Estimate& e : s.estimates)
    if (e.*flag) out += (out.empty() ? "" : ", ") + e.name;
  return out;
}

}  // namespace

std::vector<ModelCheck> model_checks(const FitSummary& s) {
  std::vector<ModelCheck> out;
  out.push_back({"converged", s.converged, s.converged ? "" : s.stop_reason, true});
  std::string at_bound;
  for (const Estimate& e : s.estimates)
    if (!e.at_bound.empty()) at_bound += (at_bound.empty() ? "" : ", ") + e.name + " at its " + e.at_bound;
  out.push_back({"no estimate at a bound", at_bound.empty(), at_bound});
  std::string unidentified;
  for (const Finding& f : s.findings)
    if (f.kind != Finding::Kind::Correlated)
      for (const std::size_t i : f.parameters) unidentified += (unidentified.empty() ? "" : ", ") + s.estimates[i].name;
  for (const Estimate& e : s.estimates)
    if (!e.std_error && e.at_bound.empty() && unidentified.find(e.name) == std::string::npos)
      unidentified += (unidentified.empty() ? "" : ", ") + e.name;
  std::vector<std::string> identifiable;
  if (!unidentified.empty()) identifiable.push_back("undetermined: " + unidentified);
  if (const std::string unmoved = names_where(s, &Estimate::unmoved); !unmoved.empty())
    identifiable.push_back("not moved from the initial value: " + unmoved);
  if (const std::string unbounded = names_where(s, &Estimate::unbounded); !unbounded.empty())
    identifiable.push_back("95 % interval unbounded: " + unbounded);
  std::string detail;
  for (const std::string& d : identifiable) detail += (detail.empty() ? "" : "; ") + d;
  out.push_back({"identifiable", identifiable.empty(), detail, true});
  const std::string outliers = outlier_list(s, false);
  out.push_back({"no gross outliers", outliers.empty(),
                 outliers.empty() ? ""
                                  : "residual beyond " + shortest(kGrossOutlier) +
                                        " times the RMS of its record's others at " + outliers,
                 true});
  // The runs test sees what an outlier hides from the lag-1 autocorrelation.
  std::string correlated;
  for (const SetSummary& set : s.sets) {
    const ResidualDiagnostics& d = set.diagnostics;
    if (std::abs(d.lag1) > kStrongAutocorrelation)
      correlated += (correlated.empty() ? "" : ", ") + set.name + " lag-1 " + decimals(d.lag1, 2);
    else if (d.runs_p < kImprobableRuns)
      correlated += (correlated.empty() ? "" : ", ") + set.name + " " + std::to_string(d.runs) + " runs against " +
                    decimals(d.runs_expected, 1) + " expected";
  }
  if (!correlated.empty() && s.ar1) correlated += "; allowed for by the AR(1) noise model";
  out.push_back({"residuals not strongly autocorrelated", correlated.empty(), correlated});
  // The contour inversion's error, about 1e-13 of the stage, is not weighed.
  if (s.inversion == InversionMethod::Stehfest)
    out.push_back({"inversion error small against residuals", s.inversion_small,
                   s.inversion_small ? "" : "NS = " + std::to_string(s.ns) + "; see the warning"});
  return out;
}

OutputNames output_names(const std::string& fit_file, const std::filesystem::path& folder) {
  std::filesystem::path stem = fit_file;
  stem.replace_extension();
  if (!folder.empty()) stem = folder / stem.filename();
  const std::string base = stem.string();
  return {base + ".fitted.dat", base + ".residuals.csv", base + ".svg", base + ".bands.csv", base + ".fitted.toml"};
}

FitSummary summarize(const FitCase& c, const LeastSquaresFit& fit, const std::optional<InversionCheck>& inversion,
                     const StartsSummary& starts, long evaluations, double seconds) {
  FitSummary s;
  s.fit_file = c.file.shown_name;
  s.estimates = parameter_estimates(c.free_parameters(), fit);
  s.correlation = correlation_matrix(fit);
  s.findings = identifiability_findings(c.free_parameters(), fit, more_data(c));
  s.sets = set_summaries(c, fit, inversion);
  s.observations = c.observed.counted();
  s.rmse = std::sqrt(fit.ssr / static_cast<double>(s.observations));
  s.degrees_of_freedom = fit.degrees_of_freedom;
  s.interval_degrees_of_freedom = fit.interval_degrees_of_freedom;
  s.iterations = fit.iterations;
  s.evaluations = evaluations;
  s.parameter_sets = fit.parameter_sets;
  s.seconds = seconds;
  s.converged = fit.converged;
  s.stop_reason = fit.stop_reason;
  s.inversion = c.file.inversion;
  s.ns = c.deck.NS;
  s.ns_choice = c.file.ns_choice;
  s.inversion_small = !inversion || inversion->all_small();
  s.ar1 = !fit.phi.empty();
  s.noise_rounds = fit.noise_rounds;
  s.relative_step = fit.relative_step;
  s.starts = starts;
  s.starts.seed = kStartsSeed;
  s.warnings = caveats(s, fit, inversion);
  s.checks = model_checks(s);
  s.files = output_names(c.file.shown_name);
  return s;
}

}  // namespace kesta::fit_detail

namespace kesta {

bool trusted(const FitSummary& summary) {
  return std::all_of(summary.checks.begin(), summary.checks.end(),
                     [](const ModelCheck& c) { return c.pass || !c.decisive; });
}

std::string_view name_of(RecordKind kind) { return kind == RecordKind::Head ? "head" : "seepage"; }

std::string_view name_of(Scale scale) { return scale == Scale::Log ? "log" : "linear"; }

std::string_view name_of(Finding::Kind kind) {
  switch (kind) {
    case Finding::Kind::NotSeparable: return "not_separable";
    case Finding::Kind::NoEffect: return "no_effect";
    case Finding::Kind::Correlated: return "correlated";
  }
  return "";
}

std::string_view name_of(NsChoice choice) {
  switch (choice) {
    case NsChoice::Deck: return "deck";
    case NsChoice::Given: return "fit file";
    case NsChoice::Auto: return "auto";
  }
  return "";
}

}  // namespace kesta
