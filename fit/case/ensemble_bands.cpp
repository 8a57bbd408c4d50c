#include "fit/case/ensemble_bands.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fit/case/fitted_bands.hpp"
#include "fit/estimation/ensemble_band.hpp"
#include "fit/estimation/number_text.hpp"
#include "fit/estimation/parameter_draws.hpp"
#include "fit/estimation/scale.hpp"

namespace kesta::fit_detail {

namespace {

// Members simulated in one batch: enough to keep every core busy, few enough
// that their full Results do not pile up beside the series kept.
constexpr std::size_t kBatch = 256;
// The members' series are held in memory for their percentiles: beyond this
// the ensemble is refused with the reason rather than left to exhaust memory.
constexpr double kMostSeriesBytes = 2.0 * 1024 * 1024 * 1024;
// The noise draws take a stream of their own, so that the parameter sets do
// not depend on how many series have a prediction band.
constexpr std::uint64_t kNoiseStream = 0x9E3779B97F4A7C15ULL;

bool within_bounds(const std::vector<FreeParameter>& free, const std::vector<double>& values) {
  for (std::size_t i = 0; i < free.size(); ++i)
    if (!(values[i] >= free[i].min && values[i] <= free[i].max)) return false;
  return true;
}

// The members' values of every series, member by member: values[s][j][k].
struct MemberSeries {
  std::vector<std::vector<std::vector<double>>> values;
  std::vector<double> t_factor;
};

// The batch's runs; a simulator's failure is the fit's, in one line.
std::vector<std::vector<Results>> batch_runs(const FitCase& c, const BandRuns& model,
                                             const std::vector<std::vector<double>>& batch,
                                             const MemberSimulator& simulator) {
  if (!simulator) return model.runs(batch, true);
  try {
    return model.runs(batch, true, simulator);
  } catch (const std::exception& e) {
    std::string cause = e.what();
    std::replace_if(
        cause.begin(), cause.end(), [](char ch) { return ch == '\n' || ch == '\r'; }, ' ');
    throw FitComputationError(c.file.shown_name + ": the ensemble's members could not be simulated: " + cause);
  }
}

MemberSeries simulate_members(const FitCase& c, const BandRuns& model, const std::vector<ParameterDraw>& draws,
                              const std::vector<SeriesSource>& sources, std::size_t steps,
                              const MemberSimulator& simulator) {
  const std::vector<FreeParameter> free = c.free_parameters();
  std::vector<std::vector<double>> sets;
  std::vector<double> factors;
  for (const ParameterDraw& d : draws) {
    std::vector<double> values(free.size());
    for (std::size_t i = 0; i < free.size(); ++i) values[i] = to_natural(free[i].scale, d.internal[i]);
    if (!within_bounds(free, values)) continue;
    sets.push_back(std::move(values));
    factors.push_back(d.t_factor);
  }
  MemberSeries out;
  out.values.resize(sources.size());
  for (std::size_t first = 0; first < sets.size(); first += kBatch) {
    const std::size_t last = std::min(first + kBatch, sets.size());
    const std::vector<std::vector<double>> batch(sets.begin() + static_cast<long>(first),
                                                 sets.begin() + static_cast<long>(last));
    const std::vector<std::vector<Results>> runs = batch_runs(c, model, batch, simulator);
    for (std::size_t j = 0; j < runs.size(); ++j) {
      const bool complete = std::all_of(runs[j].begin(), runs[j].end(), [&](const Results& r) {
        return r.time.size() == steps && r.head.size() == steps;
      });
      if (!complete) continue;
      for (std::size_t s = 0; s < sources.size(); ++s)
        out.values[s].push_back(runs[j][sources[s].run].*sources[s].values);
      out.t_factor.push_back(factors[first + j]);
    }
  }
  return out;
}

}  // namespace

void add_ensemble_bands(const FitCase& c, const BandRuns& model, const LeastSquaresFit& fit, int members, unsigned seed,
                        Bands& bands, const MemberSimulator& simulator) {
  EnsembleSummary& e = bands.ensemble;
  e.members = members;
  e.seed = seed;
  if (members <= 0) return;
  if (!bands.not_computed.empty()) {
    e.not_computed = bands.not_computed;
    return;
  }
  const double bytes = static_cast<double>(members) * static_cast<double>(bands.time.size()) *
                       static_cast<double>(bands.series.size()) * sizeof(double);
  if (bytes > kMostSeriesBytes) {
    char size[32];
    (void)std::snprintf(size, sizeof size, "%.1f", bytes / (1024.0 * 1024 * 1024));
    e.not_computed = std::to_string(members) + " parameter sets of " + std::to_string(bands.time.size()) +
                     " steps would hold " + size + " GB of series, more than the 2 GB allowed; ask for fewer";
    return;
  }
  std::vector<std::string> ignored;
  const std::vector<bool> held = held_parameters(c, fit, ignored);
  const std::vector<ParameterDraw> draws =
      draw_parameters(fit.internal, fit.covariance, held, fit.interval_degrees_of_freedom, members, seed);
  const std::vector<SeriesSource> sources = series_sources(c, model, fit);
  MemberSeries m = simulate_members(c, model, draws, sources, bands.time.size(), simulator);
  e.used = static_cast<int>(m.t_factor.size());
  if (e.used < std::max(kLeastMembers, (members + 1) / 2)) {
    e.not_computed = "only " + std::to_string(e.used) + " of " + std::to_string(members) +
                     " parameter sets could be simulated within the bounds";
    return;
  }
  e.tolerance = band_tolerance(e.used, bands.level);
  Deviates noise(static_cast<std::uint64_t>(seed) ^ kNoiseStream);
  for (std::size_t s = 0; s < sources.size() && s < bands.series.size(); ++s) {
    BandSeries& out = bands.series[s];
    BandEnds confidence = percentile_band(m.values[s], bands.level);
    const BandDifference d = band_difference({out.conf_lower, out.conf_upper}, confidence);
    if (d.compared) {
      out.ensemble_difference = d.relative;
      out.ensemble_time = bands.time[d.step];
      out.ensemble_upper = d.upper;
      out.linear_untrusted = d.relative > e.tolerance;
    }
    out.ens_conf_lower = std::move(confidence.lower);
    out.ens_conf_upper = std::move(confidence.upper);
    if (!out.noise_variance) continue;
    const double sigma = std::sqrt(*out.noise_variance);
    std::vector<std::vector<double>>& values = m.values[s];
    for (std::size_t j = 0; j < values.size(); ++j)
      for (double& v : values[j]) v += m.t_factor[j] * sigma * noise.normal();
    BandEnds prediction = percentile_band(values, bands.level);
    out.ens_pred_lower = std::move(prediction.lower);
    out.ens_pred_upper = std::move(prediction.upper);
  }
}

std::optional<FitWarning> linear_band_warning(const Bands& bands) {
  FitWarning w;
  w.kind = FitWarning::Kind::LinearBand;
  std::string where;
  for (const BandSeries& s : bands.series) {
    if (!s.linear_untrusted) continue;
    w.subjects.push_back(s.name);
    where += std::string(where.empty() ? "" : "; ") + s.name + " by " + whole_percent(*s.ensemble_difference) +
             " at time " + six_digits(s.ensemble_time) + (s.ensemble_upper ? " (upper edge)" : " (lower edge)");
  }
  if (w.subjects.empty()) return std::nullopt;
  std::string names;
  for (std::size_t i = 0; i < w.subjects.size(); ++i)
    names += (i == 0 ? "" : (i + 1 == w.subjects.size() ? " and " : ", ")) + w.subjects[i];
  w.text = "The linear confidence band is not to be trusted for " + names + ": the ensemble of " +
           std::to_string(bands.ensemble.used) +
           " parameter sets gives a band whose edges differ from it by more than " +
           whole_percent(bands.ensemble.tolerance) + " of its half-width, most for " + where +
           "; such a series is far from linear in the parameters over their uncertainty, and the ensemble's band is "
           "the one to use.";
  return w;
}

}  // namespace kesta::fit_detail
