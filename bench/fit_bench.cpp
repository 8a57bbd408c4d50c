// Benchmark of kesta-fit's solver on a field-sized case: three parameters
// (AK, AS, XAA) from two wells of 1000 observations each and a seepage
// record, deck with NT = 2000 and NS = 12; and the river example's fit as
// kesta-fit runs it, by either inversion.
#include <benchmark/benchmark.h>

#include <cmath>

#include "fit/case/deck_model.hpp"
#include "fit/case/fit_case.hpp"
#include "fit/tests/fit_scenario.hpp"

namespace kesta::fit_detail {
namespace {

constexpr int kSteps = 2000;

// A month of stage at 20-minute steps (DELT = 1/72 day, NT = 2000): three
// floods on a confined aquifer behind a silty bank.
Deck month_deck() {
  Deck d = testing::flood_deck();
  d.DELT = 1.0 / 72.0;
  d.NT = kSteps;
  d.NS = 12;
  d.TIME.clear();
  d.STAGE.clear();
  d.RECH.clear();
  for (int k = 0; k < d.NT; ++k) {
    const double t = k * d.DELT;
    double stage = 0.0;
    for (const double start : {0.0, 9.0, 19.0}) {
      const double s = (t - start) / 1.5;
      if (s > 0.0) stage += 1.2 * s * std::exp(1.0 - s);
    }
    d.TIME.push_back(t);
    d.STAGE.push_back(stage);
    d.RECH.push_back(0.0);
  }
  return d;
}

FitCase month_case() {
  const Deck truth = month_deck();
  Deck start = truth;
  start.AK = 3.0;
  start.AS = 4e-4;
  start.XAA = 100.0;
  // Every other step at each well (1000 readings), seepage every tenth step.
  const std::vector<testing::RecordPlan> plans = {
      {Kind::Head, 40.0, 2, 0.005}, {Kind::Head, 200.0, 2, 0.005}, {Kind::Seepage, 0.0, 10, 0.01}};
  return testing::memory_case(start, testing::records(truth, plans, 2026),
                              {{"AK", {NAN, 0.1, 1000.0}}, {"AS", {NAN, 1e-7, 0.1}}, {"XAA", {NAN, 0.1, 1000.0}}});
}

void BM_FitThreeParameters(benchmark::State& bench) {
  const FitCase c = month_case();
  long simulations = 0;
  int iterations = 0;
  for (auto _ : bench) {
    const DeckModel model(c);
    const BatchModel batch = [&model](const std::vector<std::vector<double>>& sets) { return model.evaluate(sets); };
    const LeastSquaresFit fit = fit_least_squares(c.free_parameters(), c.observed, batch, {});
    simulations = model.simulations();
    iterations = fit.iterations;
    benchmark::DoNotOptimize(fit.estimate.data());
  }
  bench.counters["observations"] = static_cast<double>(c.observation_count());
  bench.counters["evaluations"] = static_cast<double>(simulations);
  bench.counters["iterations"] = iterations;
}
BENCHMARK(BM_FitThreeParameters)->Unit(benchmark::kMillisecond)->UseRealTime();

// examples/fit/river.toml solved as kesta-fit solves it (AR(1) noise, the
// report's "seconds"): argument 0 by the contour inversion, the fit file's
// default; 1 by the Stehfest sum at the deck's NS = 16.
void BM_FitRiverExample(benchmark::State& bench) {
  const auto inversion = bench.range(0) == 0 ? InversionMethod::Contour : InversionMethod::Stehfest;
  FitFile file = read_fit_file(std::string(KESTA_SOURCE_DIR) + "/examples/fit/river.toml");
  file.inversion = inversion;
  const FitCase c = load_fit_case(std::move(file));
  long simulations = 0;
  int iterations = 0;
  for (auto _ : bench) {
    const DeckModel model(c);
    const BatchModel batch = [&model](const std::vector<std::vector<double>>& sets) { return model.evaluate(sets); };
    const LeastSquaresFit fit =
        fit_least_squares(c.free_parameters(), c.observed, batch, {c.file.max_iterations, nullptr, c.file.ar1});
    simulations = model.simulations();
    iterations = fit.iterations;
    benchmark::DoNotOptimize(fit.estimate.data());
  }
  bench.SetLabel(std::string(name_of(inversion)));
  bench.counters["evaluations"] = static_cast<double>(simulations);
  bench.counters["iterations"] = iterations;
}
BENCHMARK(BM_FitRiverExample)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One run of the model on the same deck, for scale.
void BM_SimulateMonthDeck(benchmark::State& bench) {
  const Deck deck = month_deck();
  for (auto _ : bench) benchmark::DoNotOptimize(simulate(deck).head.data());
}
BENCHMARK(BM_SimulateMonthDeck)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kesta::fit_detail
