#include "fit/output/output_files.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "fit/estimation/number_text.hpp"
#include "fit/output/fit_picture.hpp"
#include "io/replaced_files.hpp"
#include "plot/case_results.hpp"

namespace kesta::fit_detail {

namespace {

// A set name quoted when it holds what would split or break a CSV line.
std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string number(double v) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

// A fit from a case reads the case file and what it names (its deck, its
// records): none of them may be overwritten.
void add_case_inputs(const FitCase& c, std::vector<std::pair<std::string, std::string>>& inputs) {
  if (!c.prepared) return;
  inputs.emplace_back("the case", c.file.case_path.string());
  for (const std::filesystem::path& input : c.prepared->inputs)
    inputs.emplace_back("an input of the case", input.string());
}

}  // namespace

std::string residuals_csv(const FitCase& c, const LeastSquaresFit& fit) {
  const CaseCalendar* calendar = c.calendar();
  std::string out = calendar ? "set,time,date,observed,simulated,residual\n" : "set,time,observed,simulated,residual\n";
  std::size_t k = 0;
  for (const ObservationSet& set : c.sets) {
    const std::string name = csv_field(set.name);
    for (const CsvObservation& row : set.rows) {
      const std::string date = calendar ? "," + calendar->date_of(row.time) : std::string();
      out += name + "," + number(row.time) + date + "," + number(row.value) + "," + number(fit.simulated[k]) + "," +
             number(fit.residual[k]) + "\n";
      ++k;
    }
  }
  return out;
}

std::string bands_csv(const Bands& bands, const std::vector<std::string>& dates) {
  const bool dated = !dates.empty();
  std::string out = dated ? "time,date" : "time";
  for (const BandSeries& s : bands.series) {
    for (const char* column : {"_estimate", "_conf_lower", "_conf_upper"}) out += "," + s.name + column;
    if (s.noise_variance)
      for (const char* column : {"_pred_lower", "_pred_upper"}) out += "," + s.name + column;
  }
  // The ensemble's bands, when there are any, after all the linear ones.
  for (const BandSeries& s : bands.series) {
    if (!s.ens_conf_lower.empty())
      for (const char* column : {"_ens_conf_lower", "_ens_conf_upper"}) out += "," + s.name + column;
    if (!s.ens_pred_lower.empty())
      for (const char* column : {"_ens_pred_lower", "_ens_pred_upper"}) out += "," + s.name + column;
  }
  out += "\n";
  const auto field = [](const std::vector<double>& v, std::size_t k) {
    return "," + (k < v.size() ? number(v[k]) : std::string());
  };
  for (std::size_t k = 0; k < bands.time.size(); ++k) {
    out += number(bands.time[k]);
    if (dated) out += "," + (k < dates.size() ? csv_field(dates[k]) : std::string());
    for (const BandSeries& s : bands.series) {
      out += field(s.estimate, k) + field(s.conf_lower, k) + field(s.conf_upper, k);
      if (s.noise_variance) out += field(s.pred_lower, k) + field(s.pred_upper, k);
    }
    for (const BandSeries& s : bands.series) {
      if (!s.ens_conf_lower.empty()) out += field(s.ens_conf_lower, k) + field(s.ens_conf_upper, k);
      if (!s.ens_pred_lower.empty()) out += field(s.ens_pred_lower, k) + field(s.ens_pred_upper, k);
    }
    out += "\n";
  }
  return out;
}

namespace {

// A dated fit's picture: every time becomes seconds since 1970 UTC, and the
// axis is labelled in the offset of the first date drawn. Nothing when the
// calendar cannot say (no time to draw).
std::optional<std::chrono::minutes> on_the_calendar(const CaseCalendar& calendar, std::vector<PicturePanel>& panels) {
  double first = INFINITY;
  for (const PicturePanel& p : panels) {
    for (const double t : p.observed_time) first = std::min(first, t);
    for (const double t : p.fitted.time) first = std::min(first, t);
  }
  const std::optional<std::int64_t> origin = calendar.unix_millis_of(0.0);
  double seconds = 0.0;
  std::chrono::minutes offset{0};
  if (!origin || !std::isfinite(first) || !plot::parse_iso_date(calendar.date_of(first), seconds, offset))
    return std::nullopt;
  const double zero = static_cast<double>(*origin) / 1000.0;
  const double unit = calendar.seconds_per_time_unit();
  const auto to_seconds = [&](std::vector<double>& times) {
    for (double& t : times) t = zero + t * unit;
  };
  for (PicturePanel& p : panels) {
    to_seconds(p.observed_time);
    to_seconds(p.fitted.time);
    if (p.band) to_seconds(p.band->time);
  }
  return offset;
}

}  // namespace

std::string fit_picture(const FitCase& c, const DeckModel& model, const LeastSquaresFit& fit, const Bands& bands,
                        const plot::Units& units) {
  const std::vector<Curve> curves = model.curves(fit.estimate);
  std::vector<PicturePanel> panels;
  std::size_t k = 0;  // the observation's index in the fit's residuals
  for (std::size_t s = 0; s < c.sets.size(); ++s) {
    const ObservationSet& set = c.sets[s];
    PicturePanel p{set.name, set.kind, std::nullopt, {}, {}, {}, curves[s], std::nullopt};
    if (set.kind == Kind::Head) p.distance = set.distance;
    for (const CsvObservation& row : set.rows) {
      p.observed_time.push_back(row.time);
      p.observed_value.push_back(row.value);
      p.residual.push_back(row.value - fit.simulated[k++]);
    }
    // The band of the series this record observes, named as in the bands file.
    const std::string series = set.kind == Kind::Seepage ? "seepage" : "head_x" + shortest(set.distance);
    for (const BandSeries& b : bands.series)
      if (b.name == series && !b.conf_lower.empty())
        p.band = PictureBand{bands.time, b.conf_lower, b.conf_upper, b.pred_lower, b.pred_upper};
    panels.push_back(std::move(p));
  }
  PictureText text{"KESTA fit " + c.file.shown_name, units, bands.level, std::nullopt};
  if (const CaseCalendar* calendar = c.calendar()) text.date_offset = on_the_calendar(*calendar, panels);
  std::ostringstream svg;
  write_fit_svg(panels, text, svg);
  return svg.str();
}

std::optional<std::string> write_output_files(const OutputNames& names, const std::string& fitted_deck,
                                              const std::string& residuals, const std::string& picture,
                                              const std::string& bands, PendingFiles* pending,
                                              const std::string& fitted_case,
                                              const std::optional<std::string>& prediction) {
  std::vector<OutputText> outputs = {
      {names.fitted_deck, fitted_deck}, {names.residuals, residuals}, {names.picture, picture}, {names.bands, bands}};
  if (!names.fitted_case.empty()) outputs.push_back({names.fitted_case, fitted_case});
  if (prediction) outputs.push_back({names.prediction, *prediction});
  const auto failed = replace_files(outputs, pending);
  if (!failed) return std::nullopt;
  const std::string reason = std::strerror(failed->error);
  if (failed->folder_refused)
    return "the folder " + failed->folder + " cannot be written (" + reason + "); name another with --output-dir";
  return failed->name + ": cannot be written: " + reason;
}

std::optional<std::string> output_clash(const OutputNames& names, const FitCase& c,
                                        const std::vector<std::filesystem::path>& prediction_inputs) {
  std::vector<std::pair<std::string, std::string>> inputs = {{"the fit file", c.file.shown_name}};
  if (!c.file.deck.empty()) inputs.emplace_back("the deck", c.file.deck_path.string());
  for (const ObservationEntry& entry : c.file.observations) inputs.emplace_back("the record", entry.path.string());
  add_case_inputs(c, inputs);
  for (const std::filesystem::path& p : prediction_inputs) inputs.emplace_back("the prediction's input", p.string());
  std::vector<std::pair<std::string, std::string>> outputs = {{"the fitted deck", names.fitted_deck},
                                                              {"the residuals", names.residuals},
                                                              {"the picture", names.picture},
                                                              {"the bands", names.bands}};
  if (!names.fitted_case.empty()) outputs.emplace_back("the fitted case", names.fitted_case);
  if (!names.prediction.empty()) outputs.emplace_back("the prediction", names.prediction);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto& [role, name] = outputs[i];
    if (const auto written = identify_file(name)) {
      for (const auto& [input_role, input] : inputs)
        if (identify_file(input) == written)
          return role + " " + name + " is " + input_role + " " + input + "; writing it would lose an input";
    }
    for (std::size_t j = 0; j < i; ++j)
      if (same_output_file(name, outputs[j].second))
        return role + " " + name + " and " + outputs[j].first + " " + outputs[j].second + " are one file";
  }
  return std::nullopt;
}

}  // namespace kesta::fit_detail
