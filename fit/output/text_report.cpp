#include "fit/output/text_report.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

#include "fit/estimation/number_text.hpp"

namespace kesta::fit_detail {

namespace {

constexpr std::size_t kLineWidth = 78;
constexpr int kValueWidth = 13;
constexpr std::string_view kUndetermined = "undetermined";
constexpr std::string_view kNotMeaningful = "not meaningful";

std::string without_trailing_blanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string padded(std::string s, std::size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s + " ";
}

// Words wrapped to the line width after a hanging indent.
void write_wrapped(std::ostream& out, const std::string& text, std::string_view first, std::string_view next) {
  std::istringstream words(text);
  std::string word, line(first);
  bool empty = true;
  while (words >> word) {
    if (!empty && line.size() + 1 + word.size() > kLineWidth) {
      out << line << '\n';
      line = std::string(next);
      empty = true;
    }
    line += (empty ? "" : " ") + word;
    empty = false;
  }
  out << line << '\n';
}

void write_parameters(const FitSummary& s, std::ostream& out, std::size_t name_width) {
  out << padded("Parameter", name_width + 2) << padded("Initial", kValueWidth) << padded("Estimate", kValueWidth)
      << padded("Std error", kValueWidth) << "95 % interval\n";
  bool any_log = false;
  for (const Estimate& e : s.estimates) {
    any_log = any_log || e.scale == Scale::Log;
    const std::string missing(e.at_bound.empty() ? kUndetermined : kNotMeaningful);
    const std::string interval = e.ci95 ? six_digits(e.ci95->first) + " to " + six_digits(e.ci95->second) : missing;
    std::string line = padded(e.name + (e.scale == Scale::Log ? " *" : ""), name_width + 2) +
                       padded(six_digits(e.initial), kValueWidth) + padded(six_digits(e.value), kValueWidth) +
                       padded(e.std_error ? six_digits(*e.std_error) : missing, kValueWidth) + interval;
    if (!e.at_bound.empty()) line += "  (at " + e.at_bound + ")";
    out << line << '\n';
  }
  if (any_log)
    write_wrapped(out,
                  "* positive, estimated on a log scale: its standard error holds for small changes, its 95 % "
                  "interval is symmetric in the logarithm.",
                  "", "  ");
}

// The standard errors as if the residuals were independent, beside the ones
// that allow for AR(1) noise.
void write_plain(const FitSummary& s, std::ostream& out, std::size_t name_width) {
  if (!s.ar1) return;
  out << "\nAs if the residuals were independent (plain):\n"
      << padded("Parameter", name_width + 2) << padded("Std error", kValueWidth) << "95 % interval\n";
  for (const Estimate& e : s.estimates) {
    const std::string missing(e.at_bound.empty() ? kUndetermined : kNotMeaningful);
    out << padded(e.name + (e.scale == Scale::Log ? " *" : ""), name_width + 2)
        << padded(e.plain_std_error ? six_digits(*e.plain_std_error) : missing, kValueWidth)
        << (e.plain_ci95 ? six_digits(e.plain_ci95->first) + " to " + six_digits(e.plain_ci95->second) : missing)
        << '\n';
  }
}

void write_diagnostics(const FitSummary& s, std::ostream& out, std::size_t width) {
  out << '\n'
      << padded("Residuals", width) << padded("Lag-1", 7) << padded("Durbin-Watson", 14) << padded("Runs", 6)
      << padded("Expected", 9) << padded("Runs p", 8) << (s.ar1 ? "AR(1) phi" : "") << '\n';
  for (const SetSummary& set : s.sets) {
    const ResidualDiagnostics& d = set.diagnostics;
    out << without_trailing_blanks(padded(set.name, width) + padded(decimals(d.lag1, 2, true), 7) +
                                   padded(decimals(d.durbin_watson, 2), 14) + padded(std::to_string(d.runs), 6) +
                                   padded(decimals(d.runs_expected, 1), 9) + padded(decimals(d.runs_p, 3), 8) +
                                   (set.phi ? decimals(*set.phi, 2, true) : ""))
        << '\n';
  }
}

void write_starts(const FitSummary& s, std::ostream& out, std::size_t name_width) {
  if (s.starts.count <= 1) return;
  out << '\n';
  write_wrapped(out,
                "Starts: " + std::to_string(s.starts.count) +
                    " (the initial values and a Latin hypercube over the bounds, seed " +
                    std::to_string(s.starts.seed) + "); " + std::to_string(s.starts.minima.size()) +
                    (s.starts.minima.size() == 1 ? " distinct minimum" : " distinct minima"),
                "", "  ");
  std::string header = padded("Sum of squares", 15) + padded("Starts", 7);
  for (const Estimate& e : s.estimates) header += padded(e.name, std::max(name_width, std::size_t{12}));
  out << without_trailing_blanks(header) << '\n';
  for (const Minimum& m : s.starts.minima) {
    std::string row = padded(six_digits(m.ssr), 15) + padded(std::to_string(m.starts), 7);
    for (const double v : m.estimate) row += padded(six_digits(v), std::max(name_width, std::size_t{12}));
    out << without_trailing_blanks(row) << (m.converged ? "" : "  (not converged)") << '\n';
  }
}

void write_checks(const FitSummary& s, std::ostream& out) {
  out << "\nModel checks\n";
  for (const ModelCheck& c : s.checks)
    write_wrapped(out, std::string(c.pass ? "pass  " : "FAIL  ") + c.name + (c.detail.empty() ? "" : ": " + c.detail),
                  "  ", "        ");
}

void write_sets(const FitSummary& s, std::ostream& out) {
  std::size_t width = std::string("Observation set").size();
  for (const SetSummary& set : s.sets) width = std::max(width, set.name.size());
  out << '\n'
      << padded("Observation set", width) << padded("Kind", 8) << padded("Distance", 10) << padded("Count", 7)
      << padded("RMSE", kValueWidth) << "Mean residual\n";
  for (const SetSummary& set : s.sets) {
    out << padded(set.name, width) << padded(std::string(name_of(set.kind)), 8)
        << padded(set.distance ? six_digits(*set.distance) : "-", 10) << padded(std::to_string(set.count), 7)
        << padded(six_digits(set.rmse), kValueWidth) << six_digits(set.mean_residual) << '\n';
  }
  out << padded("all", width) << padded("", 8) << padded("", 10) << padded(std::to_string(s.observations), 7)
      << six_digits(s.rmse) << '\n';
}

void write_correlation(const FitSummary& s, std::ostream& out, std::size_t name_width) {
  if (s.estimates.size() < 2) return;
  std::string header = padded("", name_width);
  for (const Estimate& e : s.estimates) header += padded(e.name, 8);
  out << "\nCorrelation of the estimates\n" << without_trailing_blanks(header) << '\n';
  for (std::size_t a = 0; a < s.estimates.size(); ++a) {
    std::string row = padded(s.estimates[a].name, name_width);
    for (std::size_t b = 0; b <= a; ++b) {
      char cell[16];
      if (s.correlation[a][b])
        (void)std::snprintf(cell, sizeof cell, "%+.3f", *s.correlation[a][b]);
      else
        (void)std::snprintf(cell, sizeof cell, "%s", "-");
      row += padded(cell, 8);
    }
    out << without_trailing_blanks(row) << '\n';
  }
}

std::string ns_source(NsChoice choice) {
  switch (choice) {
    case NsChoice::Deck: return "the deck's";
    case NsChoice::Given: return "from the fit file";
    case NsChoice::Auto:
      return "chosen by ns = \"auto\" as the order with the smallest estimated error for the starting deck";
  }
  return "";
}

// Which inversion produced every simulated value, and for the Stehfest sum
// its order and whether its error stays below the misfit.
std::string inversion_line(const FitSummary& s) {
  if (s.inversion == InversionMethod::Contour)
    return "Inversion: contour, the Bromwich integral on a parabola, accurate to about 1e-13 of the stage changes; "
           "the deck's NS is not used.";
  return "Inversion: Stehfest, NS = " + std::to_string(s.ns) + ", " + ns_source(s.ns_choice) + "; its error is " +
         (s.inversion_small ? "small against the residuals of every set."
                            : "not small against the residuals (see Warnings).");
}

// The bands' file and level, and what they take as fixed.
std::string bands_line(const FitSummary& s) {
  const std::string level = percent(s.bands.level);
  if (!s.bands.not_computed.empty())
    return "Bands: not computed (" + s.bands.not_computed + "); " + s.files.bands +
           " holds the series at the estimate without them.";
  std::string line = "Bands: " + level + " confidence and prediction bands in " + s.files.bands;
  if (s.bands.assumptions.empty()) return line + ".";
  line += "; the bands assume ";
  for (std::size_t i = 0; i < s.bands.assumptions.size(); ++i)
    line += (i == 0 ? "" : (i + 1 == s.bands.assumptions.size() ? " and " : ", ")) + s.bands.assumptions[i];
  return line + ".";
}

// The ensemble's draws, and whether the linear bands stand beside its bands.
std::string ensemble_line(const FitSummary& s) {
  const EnsembleSummary& e = s.bands.ensemble;
  const std::string head = "Ensemble: " + std::to_string(e.members) + " parameter sets (seed " +
                           std::to_string(e.seed) + ", Student's t at " +
                           std::to_string(s.interval_degrees_of_freedom) + " degrees of freedom)";
  if (!e.not_computed.empty()) return head + ": no bands (" + e.not_computed + ").";
  const std::string share = whole_percent(e.tolerance);
  std::string line =
      head + ", " + std::to_string(e.used) + " simulated" +
      (e.used < e.members ? " (" + std::to_string(e.members - e.used) + " beyond a bound or refused, left out)" : "") +
      "; their percentile bands are in " + s.files.bands;
  std::string untrusted, largest;
  double most = -1.0;
  for (const BandSeries& b : s.bands.series) {
    if (b.linear_untrusted) untrusted += (untrusted.empty() ? "" : ", ") + b.name;
    if (b.ensemble_difference && *b.ensemble_difference > most) {
      most = *b.ensemble_difference;
      largest = b.name + ", " + whole_percent(most);
    }
  }
  if (!untrusted.empty())
    return line + "; the linear confidence band differs from the ensemble's by more than " + share +
           " of its half-width for " + untrusted + " (see Warnings).";
  if (largest.empty()) return line + ".";
  return line + "; the linear bands agree with them within " + share +
         " of their half-width (largest difference: " + largest + ").";
}

// The prediction's record and file, or why nothing was predicted.
std::string prediction_line(const FitSummary& s) {
  const Prediction& p = *s.prediction;
  if (!p.bands.not_computed.empty())
    return "Prediction on " + p.record + ": refused (" + p.bands.not_computed + "); nothing predicted written.";
  return "Prediction on " + p.record + ": " + percent(p.bands.level) + " bands in " + p.file + ", " +
         std::to_string(p.bands.time.size()) + " steps" +
         (p.dates.empty() ? "." : " from " + p.dates.front() + " to " + p.dates.back() + ".");
}

}  // namespace

void write_text_report(const FitSummary& s, std::ostream& out) {
  std::size_t name_width = std::string("Parameter").size();
  for (const Estimate& e : s.estimates) name_width = std::max(name_width, e.name.size());
  out << "kesta-fit " << s.fit_file << ": " << s.estimates.size() << " parameters from " << s.observations
      << " observations in " << s.sets.size() << (s.sets.size() == 1 ? " set" : " sets") << "\n\n";
  write_parameters(s, out, name_width);
  write_plain(s, out, name_width);
  write_sets(s, out);
  std::size_t set_width = std::string("Observation set").size();
  for (const SetSummary& set : s.sets) set_width = std::max(set_width, set.name.size());
  write_diagnostics(s, out, set_width);
  write_correlation(s, out, name_width);
  write_starts(s, out, name_width);
  write_checks(s, out);
  if (!s.warnings.empty()) {
    out << "\nWarnings\n";
    for (const FitWarning& w : s.warnings) write_wrapped(out, w.text, "- ", "  ");
  }
  char timing[160];
  (void)std::snprintf(timing, sizeof timing, "%d iterations, %ld model evaluations (%ld parameter sets), %.3f s",
                      s.iterations, s.evaluations, s.parameter_sets, s.seconds);
  out << '\n';
  write_wrapped(out, inversion_line(s), "", "  ");
  out << "Solver: Levenberg-Marquardt with bounds; " << timing << '\n';
  write_wrapped(out, (s.converged ? "Converged: " : "Not converged: ") + s.stop_reason, "", "  ");
  write_wrapped(out, bands_line(s), "", "  ");
  if (s.bands.ensemble.members > 0) write_wrapped(out, ensemble_line(s), "", "  ");
  if (s.prediction) write_wrapped(out, prediction_line(s), "", "  ");
  std::string files = s.files.fitted_deck + ", " + s.files.residuals + ", " + s.files.picture + ", " + s.files.bands +
                      (s.files.fitted_case.empty() ? "" : ", " + s.files.fitted_case);
  if (s.prediction && s.prediction->bands.not_computed.empty()) files += ", " + s.prediction->file;
  if (s.files_not_written.empty())
    out << "Written: " << files << '\n';
  else
    write_wrapped(out, "Not written: " + files + "; " + s.files_not_written + ".", "", "  ");
}

}  // namespace kesta::fit_detail
