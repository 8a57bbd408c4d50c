// Benchmarks of the contour engine: the whole simulation in process (one
// thread by OMP_NUM_THREADS=1 for the per-core figures), the console's run
// with its own error estimate, and the two routes of the lag sums either side
// of the crossover kConvolveFrom.
#include <benchmark/benchmark.h>

#include "model/contour_inversion.hpp"
#include "model/contour_superposition.hpp"
#include "model/dimensionless.hpp"
#include "model/superposition.hpp"
#include "model_fixture.hpp"

namespace kesta {
namespace {

// The speed deck: leaky under a water-table aquitard, finite width,
// streambank, stage and recharge.
Deck speed_deck(int NT) {
  Deck deck;
  testing::fill_deck(deck, {3, 1, 1, 2, NT, 20});
  return deck;
}

void BM_ContourSimulation(benchmark::State& bench) {
  const Deck deck = speed_deck(static_cast<int>(bench.range(0)));
  const Derived derived = derive(deck);
  for (auto _ : bench) {
    const Results r = superpose_by_contour(deck, derived);
    benchmark::DoNotOptimize(r.bank_volume.data());
  }
}
BENCHMARK(BM_ContourSimulation)
    ->ArgName("NT")
    ->Arg(1000)
    ->Arg(99999)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ContourCheckedRun(benchmark::State& bench) {
  const Deck deck = speed_deck(static_cast<int>(bench.range(0)));
  const Derived derived = derive(deck);
  for (auto _ : bench) {
    const ContourRun r = checked_contour_run(deck, derived);
    benchmark::DoNotOptimize(r.error.head.data());
  }
}
BENCHMARK(BM_ContourCheckedRun)
    ->ArgName("NT")
    ->Arg(1000)
    ->Arg(99999)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Args: NT, route (0 in order, 1 convolution), from the same responses.
void BM_ContourSums(benchmark::State& bench) {
  const Deck deck = speed_deck(static_cast<int>(bench.range(0)));
  const Derived derived = derive(deck);
  const ContourResponses r = contour_responses(deck, derived, deck.NT - 1);
  const LagSumRoute route = bench.range(1) == 0 ? LagSumRoute::InOrder : LagSumRoute::Convolution;
  for (auto _ : bench) {
    const Results results = superpose_responses(deck, derived, r.RH, r.RQ, route);
    benchmark::DoNotOptimize(results.bank_volume.data());
  }
}
BENCHMARK(BM_ContourSums)
    ->ArgNames({"NT", "convolution"})
    ->ArgsProduct({{1024, 2048, 4096, 8192}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

void BM_ContourResponses(benchmark::State& bench) {
  const Deck deck = speed_deck(static_cast<int>(bench.range(0)));
  const Derived derived = derive(deck);
  for (auto _ : bench) {
    const ContourResponses r = contour_responses(deck, derived, deck.NT - 1);
    benchmark::DoNotOptimize(r.RH.data());
  }
}
BENCHMARK(BM_ContourResponses)->ArgName("NT")->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kesta
