#include "fit/case/fitted_bands.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "fit/estimation/central_difference_cost.hpp"
#include "fit/estimation/delta_band.hpp"
#include "fit/estimation/estimates.hpp"
#include "fit/estimation/number_text.hpp"
#include "fit/estimation/student_t.hpp"

namespace kesta::fit_detail {

namespace {

std::size_t distance_index(const BandRuns& model, double distance) {
  const std::vector<double>& d = model.distances();
  return static_cast<std::size_t>(std::find(d.begin(), d.end(), distance) - d.begin());
}

// The larger of two noise variances: a series observed by two records takes
// the noisier one's, so that the prediction band is never the narrower.
void widen(std::optional<double>& noise, double variance) { noise = std::max(noise.value_or(0.0), variance); }

}  // namespace

std::vector<SeriesSource> series_sources(const FitCase& c, const BandRuns& model, const LeastSquaresFit& fit) {
  std::vector<SeriesSource> out;
  std::optional<double> seepage_noise;
  const double counted = static_cast<double>(c.observed.counted());
  const double inflation = counted / static_cast<double>(std::max(fit.degrees_of_freedom, 1));
  for (std::size_t s = 0; s < c.sets.size(); ++s) {
    const ObservationSet& set = c.sets[s];
    const double phi = fit.phi.empty() ? 0.0 : fit.phi[s];
    const double noise = record_noise_variance(c.observed.sets[s], fit.residual, c.observed.weight, phi, inflation);
    if (set.kind == Kind::Seepage) {
      widen(seepage_noise, noise);
      continue;
    }
    const std::string name = "head_x" + shortest(set.distance);
    auto it = std::find_if(out.begin(), out.end(), [&](const SeriesSource& x) { return x.name == name; });
    if (it == out.end())
      it = out.insert(out.end(), {name, distance_index(model, set.distance), &Results::head, std::nullopt});
    widen(it->noise_variance, noise);
  }
  // Further wells have no record, so no noise of their own: a neighbour's
  // logger says nothing of theirs, and they get the confidence band alone.
  for (const double d : c.file.band_distances) {
    const std::string name = "head_x" + shortest(d);
    if (std::none_of(out.begin(), out.end(), [&](const SeriesSource& x) { return x.name == name; }))
      out.push_back({name, distance_index(model, d), &Results::head, std::nullopt});
  }
  out.push_back({"seepage", 0, &Results::seepage, seepage_noise});
  out.push_back({"total_seepage", 0, &Results::total_seepage, std::nullopt});
  out.push_back({"bank_storage", 0, &Results::bank_storage, std::nullopt});
  out.push_back({"bank_volume", 0, &Results::bank_volume, std::nullopt});
  return out;
}

// What the bands take as fixed: a parameter held at its bound, or one the
// data see only in combination with others.
std::vector<bool> held_parameters(const FitCase& c, const LeastSquaresFit& fit, std::vector<std::string>& assumptions) {
  const std::vector<FreeParameter> free = c.free_parameters();
  std::vector<bool> held(free.size(), false);
  for (std::size_t i = 0; i < free.size(); ++i) {
    const FreeParameter& p = free[i];
    const double x = fit.internal[i];
    const char* bound = on_bound(x, to_internal(p.scale, p.min))   ? "min"
                        : on_bound(x, to_internal(p.scale, p.max)) ? "max"
                                                                   : nullptr;
    if (bound) {
      held[i] = true;
      assumptions.push_back(p.name + " fixed at its bound (" + bound + ")");
    } else if (i < fit.null_space.undetermined.size() && fit.null_space.undetermined[i]) {
      assumptions.push_back(p.name + " held where the fit left it along what the data do not determine");
    }
  }
  return held;
}

namespace {

double step_of(const FreeParameter& p, double x, double relative_step) {
  return p.scale == Scale::Log ? relative_step : relative_step * std::max(std::abs(x), 1.0);
}

}  // namespace

Bands fitted_bands(const FitCase& c, const BandRuns& model, const LeastSquaresFit& fit, double level) {
  Bands bands;
  bands.level = level;
  const std::vector<FreeParameter> free = c.free_parameters();
  const std::vector<SeriesSource> sources = series_sources(c, model, fit);
  const bool wanted = fit.converged && fit.covariance.size() > 0;
  if (!fit.converged)
    bands.not_computed = "the fit did not converge";
  else if (fit.covariance.size() == 0)
    bands.not_computed = "the estimates have no covariance (" + fit.covariance_problem + ")";

  // The estimate, then each parameter stepped up and down, in one batch.
  const double relative_step = fit.relative_step > 0.0 ? fit.relative_step : kRelativeStep;
  std::vector<std::vector<double>> sets = {fit.estimate};
  std::vector<double> steps;
  if (wanted) {
    for (std::size_t i = 0; i < free.size(); ++i) {
      const double h = step_of(free[i], fit.internal[i], relative_step);
      steps.push_back(h);
      for (const double sign : {1.0, -1.0}) {
        std::vector<double> shifted = fit.estimate;
        shifted[i] = to_natural(free[i].scale, fit.internal[i] + sign * h);
        sets.push_back(std::move(shifted));
      }
    }
  }
  const std::vector<std::vector<Results>> runs = model.runs(sets);
  bands.time = runs[0][0].time;
  for (std::size_t k = 1; k < runs.size() && bands.not_computed.empty(); ++k)
    for (const Results& r : runs[k])
      if (r.time.size() != bands.time.size()) {
        bands.not_computed = "the model cannot be computed on both sides of the estimate";
        break;
      }

  std::vector<bool> held;
  if (bands.not_computed.empty()) held = held_parameters(c, fit, bands.assumptions);
  const double t = student_t_quantile(level, std::max(fit.interval_degrees_of_freedom, 1));
  for (const SeriesSource& source : sources) {
    BandSeries out;
    out.name = source.name;
    out.estimate = runs[0][source.run].*source.values;
    out.noise_variance = source.noise_variance;
    if (bands.not_computed.empty()) {
      std::vector<std::vector<double>> plus, minus;
      for (std::size_t i = 0; i < free.size(); ++i) {
        plus.push_back(runs[1 + 2 * i][source.run].*source.values);
        minus.push_back(runs[2 + 2 * i][source.run].*source.values);
      }
      const std::vector<double> variance = delta_variance(central_jacobian(plus, minus, steps), fit.covariance, held);
      BandEnds confidence = band_ends(out.estimate, variance, t);
      out.conf_lower = std::move(confidence.lower);
      out.conf_upper = std::move(confidence.upper);
      if (source.noise_variance) {
        BandEnds prediction = band_ends(out.estimate, variance, t, *source.noise_variance);
        out.pred_lower = std::move(prediction.lower);
        out.pred_upper = std::move(prediction.upper);
      }
    }
    bands.series.push_back(std::move(out));
  }
  return bands;
}

}  // namespace kesta::fit_detail
