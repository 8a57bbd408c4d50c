#include "fit/tests/band_coverage.hpp"

#include <cmath>
#include <mutex>
#include <random>

#include "fit/case/deck_model.hpp"
#include "fit/case/ensemble_bands.hpp"
#include "fit/case/fitted_bands.hpp"
#include "fit/tests/fit_scenario.hpp"
#include "support/parallel_for.hpp"

namespace kesta::fit_detail::testing {

namespace {

constexpr double kHeadSigma = 0.01;
constexpr double kSeepageSigma = 0.005;
constexpr double kWell = 50.0;

// AR(1) noise of marginal spread sigma, one value per step.
std::vector<double> ar1_noise(std::size_t count, double phi, double sigma, std::mt19937& random) {
  std::normal_distribution<double> unit(0.0, 1.0);
  std::vector<double> out;
  double e = sigma * unit(random);
  for (std::size_t k = 0; k < count; ++k) {
    out.push_back(e);
    e = phi * e + std::sqrt(1.0 - phi * phi) * sigma * unit(random);
  }
  return out;
}

const BandSeries* find_series(const Bands& b, const std::string& name) {
  for (const BandSeries& s : b.series)
    if (s.name == name) return &s;
  return nullptr;
}

// One fit's counts for one series: truth and a fresh record against its bands.
void tally(const BandSeries& s, const std::vector<double>& truth, const std::vector<double>& fresh, CoverageCount& c,
           bool ensemble = false) {
  const std::vector<double>& conf_lower = ensemble ? s.ens_conf_lower : s.conf_lower;
  const std::vector<double>& conf_upper = ensemble ? s.ens_conf_upper : s.conf_upper;
  const std::vector<double>& pred_lower = ensemble ? s.ens_pred_lower : s.pred_lower;
  const std::vector<double>& pred_upper = ensemble ? s.ens_pred_upper : s.pred_upper;
  if (conf_lower.size() != truth.size() || pred_lower.size() != truth.size()) return;
  long held = 0, predicted = 0, points = 0;
  for (std::size_t k = 1; k < truth.size(); ++k) {
    ++points;
    held += conf_lower[k] <= truth[k] && truth[k] <= conf_upper[k];
    predicted += pred_lower[k] <= fresh[k - 1] && fresh[k - 1] <= pred_upper[k];
  }
  c.points += points;
  c.conf_held += held;
  c.pred_held += predicted;
  ++c.curves;
  c.curves_held += held == points;
  c.per_fit.push_back(static_cast<double>(held) / static_cast<double>(points));
}

}  // namespace

CoverageResult band_coverage(const CoveragePlan& plan) {
  Deck truth = flood_deck();
  truth.X = kWell;
  const Results true_run = simulate(truth, {InversionMethod::Contour});
  const std::size_t steps = true_run.head.size();
  CoverageResult out;
  std::mutex lock;
  run_in_parallel(static_cast<std::size_t>(plan.fits), [&](std::size_t i) {
    std::mt19937 random(plan.seed + static_cast<unsigned>(i));
    std::vector<ObservationSet> sets =
        records(truth, {{Kind::Head, kWell, 1, 0.0}, {Kind::Seepage, 0.0, 1, 0.0}}, 1, InversionMethod::Contour);
    const double sigma[] = {kHeadSigma, kSeepageSigma};
    for (std::size_t s = 0; s < 2; ++s) {
      const std::vector<double> e = ar1_noise(sets[s].rows.size(), plan.phi, sigma[s], random);
      for (std::size_t k = 0; k < e.size(); ++k) {
        sets[s].rows[k].value += e[k];
        sets[s].rows[k].weight = 1.0 / sigma[s];
      }
    }
    FitCase c = memory_case(truth, std::move(sets), {{"AK", {5.0, 0.1, 1000.0}}, {"XAA", {100.0, 0.1, 1000.0}}});
    c.file.ar1 = true;
    const LeastSquaresFit fit = run_case(c);
    const BandRuns model(c.deck, c, band_distances(DeckModel(c), c.file));
    Bands bands = fitted_bands(c, model, fit, plan.level);
    add_ensemble_bands(c, model, fit, plan.ensemble, plan.seed + static_cast<unsigned>(i), bands);
    const BandSeries* head = find_series(bands, "head_x50");
    const BandSeries* seepage = find_series(bands, "seepage");
    // Fresh records: what a future observation at every step would read.
    const std::vector<double> fresh_head_noise = ar1_noise(steps - 1, plan.phi, kHeadSigma, random);
    const std::vector<double> fresh_seepage_noise = ar1_noise(steps - 1, plan.phi, kSeepageSigma, random);
    std::vector<double> fresh_head, fresh_seepage;
    for (std::size_t k = 1; k < steps; ++k) {
      fresh_head.push_back(true_run.head[k] + fresh_head_noise[k - 1]);
      fresh_seepage.push_back(true_run.seepage[k] + fresh_seepage_noise[k - 1]);
    }
    const std::lock_guard<std::mutex> guard(lock);
    if (!bands.not_computed.empty() || !head || !seepage || head->pred_lower.empty() || seepage->pred_lower.empty()) {
      ++out.not_converged;
      return;
    }
    out.head_phi += fit.phi.at(0) / plan.fits;
    out.seepage_phi += fit.phi.at(1) / plan.fits;
    tally(*head, true_run.head, fresh_head, out.head);
    tally(*seepage, true_run.seepage, fresh_seepage, out.seepage);
    tally(*head, true_run.head, fresh_head, out.ensemble_head, true);
    tally(*seepage, true_run.seepage, fresh_seepage, out.ensemble_seepage, true);
  });
  return out;
}

}  // namespace kesta::fit_detail::testing
