#include "fit/output/fit_summary.hpp"

#include <cmath>
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
    SetSummary s{set.name, set.kind, std::nullopt, set.rows.size(), 0.0, 0.0};
    if (set.kind == Kind::Head) s.distance = set.distance;
    double sum = 0.0, squares = 0.0;
    for (std::size_t i = 0; i < set.rows.size(); ++i, ++k) {
      sum += fit.residual[k];
      squares += fit.residual[k] * fit.residual[k];
    }
    const double n = static_cast<double>(set.rows.size());
    s.rmse = std::sqrt(squares / n);
    s.mean_residual = sum / n;
    s.inversion_rms = inversion.rms[out.size()];
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

std::vector<std::string> caveats(const FitSummary& s, const LeastSquaresFit& fit, const InversionCheck& inversion) {
  std::vector<std::string> out;
  if (!s.converged)
    out.push_back("The solver stopped before it converged: " + s.stop_reason +
                  " The estimates are where it stopped; see docs/fitting.md on fits that do not converge.");
  for (const Estimate& e : s.estimates) {
    if (e.at_bound.empty()) continue;
    out.push_back(e.name + " stopped at its " + e.at_bound + " (" + six_digits(e.value) +
                  "): the data pull it beyond the bound, and its standard error treats it as free.");
  }
  if (!fit.covariance_problem.empty()) out.push_back("No standard errors: " + fit.covariance_problem + ".");
  for (const Finding& f : s.findings) out.push_back(f.text);
  if (!inversion.all_small()) out.push_back(inversion_warning(s, inversion));
  return out;
}

}  // namespace

OutputNames output_names(const std::string& fit_file) {
  std::filesystem::path stem = fit_file;
  stem.replace_extension();
  const std::string base = stem.string();
  return {base + ".fitted.dat", base + ".residuals.csv", base + ".svg"};
}

FitSummary summarize(const FitCase& c, const LeastSquaresFit& fit, const InversionCheck& inversion, long evaluations,
                     double seconds) {
  FitSummary s;
  s.fit_file = c.file.shown_name;
  s.estimates = parameter_estimates(c.free, fit);
  s.correlation = correlation_matrix(fit);
  s.findings = identifiability_findings(c.free, fit, more_data(c));
  s.sets = set_summaries(c, fit, inversion);
  s.observations = c.observation_count();
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
  s.warnings = caveats(s, fit, inversion);
  s.files = output_names(c.file.shown_name);
  return s;
}

}  // namespace kesta::fit
