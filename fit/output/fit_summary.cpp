#include "fit/output/fit_summary.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "fit/estimation/number_text.hpp"

namespace kesta::fit {

namespace {

// The records that could separate parameters, judged by what the fit lacks.
std::string more_data(const FitCase& c) {
  bool heads = false, seepage = false;
  for (const ObservationSet& set : c.sets) (set.kind == Kind::Head ? heads : seepage) = true;
  if (!seepage) return "A seepage record";
  if (!heads) return "Heads at a well";
  return "Records over a longer time or at other wells";
}

std::vector<SetSummary> set_summaries(const FitCase& c, const LeastSquaresFit& fit, const InversionCheck& inversion) {
  std::vector<SetSummary> out;
  std::size_t k = 0;
  for (const ObservationSet& set : c.sets) {
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
    s.inversion_rms = inversion.rms[out.size()];
    std::vector<double> in_order;
    for (const std::size_t r : c.observed.sets[out.size()]) in_order.push_back(fit.residual[r]);
    s.diagnostics = diagnose_residuals(in_order);
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
    text += " No NS does better for this deck: the records are matched more closely than the model can be computed.";
  return text;
}

std::string two_decimals(double v) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::vector<std::string> caveats(const FitSummary& s, const LeastSquaresFit& fit, const InversionCheck& inversion) {
  std::vector<std::string> out;
  if (!s.converged)
    out.push_back("The solver stopped before it converged: " + s.stop_reason +
                  " The estimates are where it stopped; see docs/fitting.md on fits that do not converge.");
  for (const Estimate& e : s.estimates) {
    if (e.at_bound.empty()) continue;
    out.push_back(e.name + " is at its bound (" + e.at_bound + " = " + six_digits(e.value) +
                  "): the data pull it beyond, so its standard error and interval are not meaningful. Widen the "
                  "bound if a value beyond it is physically possible, or fix " +
                  e.name + " at a value known from elsewhere (take it out of [parameters]).");
  }
  std::string correlated;
  for (const SetSummary& set : s.sets)
    if (set.diagnostics.lag1 > kStrongAutocorrelation)
      correlated += (correlated.empty() ? "" : ", ") + set.name + " " + two_decimals(set.diagnostics.lag1);
  if (!correlated.empty())
    out.push_back("The residuals are autocorrelated (lag-1: " + correlated + "): neighbouring errors share the " +
                  "same misfit, so the plain standard errors, which treat them as independent, understate the " +
                  "uncertainty. " +
                  (s.ar1 ? "The standard errors and intervals given allow for it (AR(1) noise per set)."
                         : "Those are the ones given here (noise = \"independent\"); noise = \"ar1\" allows for it."));
  if (s.starts.minima.size() > 1)
    out.push_back(std::to_string(s.starts.count) + " starts found " + std::to_string(s.starts.minima.size()) +
                  " distinct minima (listed under Starts); the estimate is the best. Check that the others are "
                  "worse for a reason the model explains, or narrow the bounds to the physically plausible.");
  if (!fit.covariance_problem.empty()) out.push_back("No standard errors: " + fit.covariance_problem + ".");
  for (const Finding& f : s.findings) out.push_back(f.text);
  if (!inversion.all_small()) out.push_back(inversion_warning(s, inversion));
  return out;
}

std::vector<ModelCheck> model_checks(const FitSummary& s) {
  std::vector<ModelCheck> out;
  out.push_back({"converged", s.converged, s.converged ? "" : s.stop_reason});
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
  out.push_back({"identifiable", unidentified.empty(), unidentified.empty() ? "" : "undetermined: " + unidentified});
  std::string correlated;
  for (const SetSummary& set : s.sets)
    if (std::abs(set.diagnostics.lag1) > kStrongAutocorrelation)
      correlated += (correlated.empty() ? "" : ", ") + set.name + " lag-1 " + two_decimals(set.diagnostics.lag1);
  if (!correlated.empty() && s.ar1) correlated += "; allowed for by the AR(1) noise model";
  out.push_back({"residuals not strongly autocorrelated", correlated.empty(), correlated});
  out.push_back({"inversion error small against residuals", s.inversion_small,
                 s.inversion_small ? "" : "NS = " + std::to_string(s.ns) + "; see the warning"});
  return out;
}

}  // namespace

OutputNames output_names(const std::string& fit_file, const std::filesystem::path& folder) {
  std::filesystem::path stem = fit_file;
  stem.replace_extension();
  if (!folder.empty()) stem = folder / stem.filename();
  const std::string base = stem.string();
  return {base + ".fitted.dat", base + ".residuals.csv", base + ".svg"};
}

FitSummary summarize(const FitCase& c, const LeastSquaresFit& fit, const InversionCheck& inversion,
                     const StartsSummary& starts, long evaluations, double seconds) {
  FitSummary s;
  s.fit_file = c.file.shown_name;
  s.estimates = parameter_estimates(c.free, fit);
  s.correlation = correlation_matrix(fit);
  s.findings = identifiability_findings(c.free, fit, more_data(c));
  s.sets = set_summaries(c, fit, inversion);
  s.observations = c.observed.counted();
  s.rmse = std::sqrt(fit.ssr / static_cast<double>(s.observations));
  s.degrees_of_freedom = fit.degrees_of_freedom;
  s.iterations = fit.iterations;
  s.evaluations = evaluations;
  s.parameter_sets = fit.parameter_sets;
  s.seconds = seconds;
  s.converged = fit.converged;
  s.stop_reason = fit.stop_reason;
  s.ns = inversion.NS;
  s.ns_choice = c.file.ns_choice;
  s.inversion_small = inversion.all_small();
  s.ar1 = !fit.phi.empty();
  s.noise_rounds = fit.noise_rounds;
  s.relative_step = fit.relative_step;
  s.starts = starts;
  s.warnings = caveats(s, fit, inversion);
  s.checks = model_checks(s);
  s.files = output_names(c.file.shown_name);
  return s;
}

}  // namespace kesta::fit
