#include "fit/output/json_report.hpp"

#include <nlohmann/json.hpp>

namespace kesta::fit_detail {

namespace {

using Json = nlohmann::ordered_json;

Json optional_number(const std::optional<double>& v) { return v ? Json(*v) : Json(nullptr); }

Json interval(const std::optional<std::pair<double, double>>& ci) {
  return ci ? Json::array({ci->first, ci->second}) : Json(nullptr);
}

Json combination(const Combination& c) {
  return {{"expression", c.expression},
          {"value", c.value},
          {"std_error", optional_number(c.std_error)},
          {"ci95", interval(c.ci95)}};
}

Json findings(const FitSummary& s) {
  Json out = Json::array();
  for (const Finding& f : s.findings) {
    Json names = Json::array();
    for (std::size_t i : f.parameters) names.push_back(s.estimates[i].name);
    Json determined = Json::array();
    for (const Combination& c : f.determined) determined.push_back(combination(c));
    Json entry = {{"kind", name_of(f.kind)}, {"parameters", names}, {"determined", determined}};
    if (f.kind == Finding::Kind::Correlated) entry["correlation"] = f.correlation;
    entry["text"] = f.text;
    out.push_back(entry);
  }
  return out;
}

Json starts(const FitSummary& s) {
  Json minima = Json::array();
  for (const Minimum& m : s.starts.minima) {
    Json estimate = Json::object();
    for (std::size_t i = 0; i < m.estimate.size(); ++i) estimate[s.estimates[i].name] = m.estimate[i];
    minima.push_back(
        {{"sum_of_squares", m.ssr}, {"starts", m.starts}, {"converged", m.converged}, {"estimate", estimate}});
  }
  return {{"count", s.starts.count}, {"seed", s.starts.seed}, {"minima", minima}};
}

Json checks(const FitSummary& s) {
  Json out = Json::array();
  for (const ModelCheck& c : s.checks) out.push_back({{"check", c.name}, {"pass", c.pass}, {"detail", c.detail}});
  return out;
}

// The ensemble route: its draws, and per series how far its confidence band
// stands from the linear one.
Json ensemble(const FitSummary& s) {
  const EnsembleSummary& e = s.bands.ensemble;
  Json series = Json::array();
  for (const BandSeries& b : s.bands.series) {
    if (!b.ensemble_difference) continue;
    series.push_back({{"series", b.name},
                      {"difference", *b.ensemble_difference},
                      {"time", b.ensemble_time},
                      {"edge", b.ensemble_upper ? "upper" : "lower"},
                      {"linear_trusted", !b.linear_untrusted}});
  }
  return {
      {"members", e.members},        {"seed", e.seed},
      {"distribution", "student_t"}, {"used", e.used},
      {"tolerance", e.tolerance},    {"not_computed", e.not_computed.empty() ? Json(nullptr) : Json(e.not_computed)},
      {"comparison", series}};
}

// The bands' file and level, what they take as fixed, and why they are
// missing when they are.
Json bands(const FitSummary& s) {
  Json out = {{"file", s.files.bands}, {"level", s.bands.level}, {"assumptions", s.bands.assumptions}};
  out["not_computed"] = s.bands.not_computed.empty() ? Json(nullptr) : Json(s.bands.not_computed);
  if (s.bands.ensemble.members > 0) out["ensemble"] = ensemble(s);
  return out;
}

// The prediction's record, file and level, what its bands take as fixed, and
// why nothing was predicted when it was refused.
Json prediction(const Prediction& p) {
  Json out = {{"record", p.record},
              {"file", p.bands.not_computed.empty() ? Json(p.file) : Json(nullptr)},
              {"level", p.bands.level},
              {"steps", p.bands.time.size()},
              {"assumptions", p.bands.assumptions}};
  out["not_computed"] = p.bands.not_computed.empty() ? Json(nullptr) : Json(p.bands.not_computed);
  return out;
}

}  // namespace

void write_json_report(const FitSummary& s, std::ostream& out) {
  Json parameters = Json::object();
  Json names = Json::array();
  for (const Estimate& e : s.estimates) {
    parameters[e.name] = {{"scale", name_of(e.scale)},
                          {"initial", e.initial},
                          {"estimate", e.value},
                          {"std_error", optional_number(e.std_error)},
                          {"ci95", interval(e.ci95)},
                          {"plain_std_error", optional_number(e.plain_std_error)},
                          {"plain_ci95", interval(e.plain_ci95)},
                          {"at_bound", e.at_bound.empty() ? Json(nullptr) : Json(e.at_bound)}};
    names.push_back(e.name);
  }
  Json sets = Json::array();
  for (const SetSummary& set : s.sets) {
    Json entry = {{"file", set.name}, {"kind", name_of(set.kind)}};
    if (set.distance) entry["distance"] = *set.distance;
    entry["count"] = set.count;
    entry["rmse"] = set.rmse;
    entry["mean_residual"] = set.mean_residual;
    entry["inversion_error_rms"] = optional_number(set.inversion_rms);
    const ResidualDiagnostics& d = set.diagnostics;
    entry["lag1_autocorrelation"] = d.lag1;
    entry["durbin_watson"] = d.durbin_watson;
    entry["runs_test"] = {{"runs", d.runs}, {"expected", d.runs_expected}, {"z", d.runs_z}, {"p", d.runs_p}};
    entry["ar1_phi"] = optional_number(set.phi);
    Json outliers = Json::array();
    for (const GrossOutlier& o : set.outliers)
      outliers.push_back(
          {{"line", o.line}, {"time", o.time}, {"observed", o.observed}, {"standardized_residual", o.standardized}});
    entry["gross_outliers"] = outliers;
    sets.push_back(entry);
  }
  Json matrix = Json::array();
  for (const auto& row : s.correlation) {
    Json r = Json::array();
    for (const auto& v : row) r.push_back(optional_number(v));
    matrix.push_back(r);
  }
  Json warnings = Json::array();
  for (const FitWarning& w : s.warnings) warnings.push_back(w.text);
  Json report = {
      {"fit_file", s.fit_file},
      {"parameters", parameters},
      {"observation_sets", sets},
      {"rmse", s.rmse},
      {"n_observations", s.observations},
      {"degrees_of_freedom", s.degrees_of_freedom},
      {"interval_degrees_of_freedom", s.interval_degrees_of_freedom},
      {"correlation", {{"parameters", names}, {"matrix", matrix}}},
      {"identifiability", findings(s)},
      {"noise", {{"model", s.ar1 ? "ar1" : "independent"}, {"rounds", s.noise_rounds}}},
      {"derivative_step", s.relative_step},
      {"starts", starts(s)},
      {"checks", checks(s)},
      {"inversion", name_of(s.inversion)},
      {"ns",
       s.inversion == InversionMethod::Contour
           ? Json(nullptr)
           : Json{{"value", s.ns}, {"source", name_of(s.ns_choice)}, {"inversion_error_small", s.inversion_small}}},
      {"iterations", s.iterations},
      {"evaluations", s.evaluations},
      {"parameter_sets", s.parameter_sets},
      {"seconds", s.seconds},
      {"converged", s.converged},
      {"stop_reason", s.stop_reason},
      {"warnings", warnings},
      {"bands", bands(s)},
      {"files",
       {{"fitted_deck", s.files.fitted_deck},
        {"residuals", s.files.residuals},
        {"svg", s.files.picture},
        {"bands", s.files.bands}}},
      {"files_written", s.files_not_written.empty()},
  };
  if (!s.files.fitted_case.empty()) report["files"]["fitted_case"] = s.files.fitted_case;
  if (!s.files_not_written.empty()) report["files_not_written"] = s.files_not_written;
  // Only when a prediction is asked for, so that other fits' reports stay as they were.
  if (s.prediction) report["prediction"] = prediction(*s.prediction);
  // Replace, not throw, on any byte that is not UTF-8 (a file name, say).
  out << report.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace kesta::fit_detail
