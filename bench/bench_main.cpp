// Benchmarks of the analytical model and the results table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "direct_superposition.hpp"
#include "input/deck_reader.hpp"
#include "inversion_errors.hpp"
#include "io/output_unit.hpp"
#include "io/record_editing.hpp"
#include "io/record_reader.hpp"
#include "model/checked_simulation.hpp"
#include "model/dimensionless.hpp"
#include "model/fft.hpp"
#include "model/lag_sums.hpp"
#include "model/printed_accuracy.hpp"
#include "model/stehfest.hpp"
#include "model/superposition.hpp"
#include "model_fixture.hpp"
#include "report/dimensionless_block.hpp"
#include "report/results_report.hpp"
#include "step_response.hpp"

namespace kesta {
namespace {

using Series = std::vector<double>;

// Args: IAQ, IXL. NS = 20, TD swept over four decades.
void BM_StepResponse(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)), 1, 2, 1, 20});
  const testing::ModelRun m = testing::prepare_model(deck);
  double TD = 0.01;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(step_response(TD, m.deck, m.derived, m.inversion));
    TD = TD < 100.0 ? TD * 1.01 : 0.01;
  }
}
BENCHMARK(BM_StepResponse)->ArgNames({"IAQ", "IXL"})->ArgsProduct({{0, 1, 2, 3}, {0, 1}});

void BM_SuperposeCached(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {3, 1, 1, 2, static_cast<int>(bench.range(0)), 20});
  const testing::ModelRun m = testing::prepare_model(deck);
  for (auto _ : bench) {
    const Results r = superpose(m.deck, m.derived, m.inversion);
    benchmark::DoNotOptimize(r.bank_volume.data());
  }
}
BENCHMARK(BM_SuperposeCached)->ArgName("NT")->Arg(1000)->Arg(99999)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SuperposeDirect(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {3, 1, 1, 2, static_cast<int>(bench.range(0)), 20});
  const testing::ModelRun m = testing::prepare_model(deck);
  for (auto _ : bench) {
    const Results r = superpose_directly(m.deck, m.derived, m.inversion);
    benchmark::DoNotOptimize(r.bank_volume.data());
  }
}
BENCHMARK(BM_SuperposeDirect)->ArgName("NT")->Arg(1000)->Unit(benchmark::kMillisecond);

// The convolution sums alone, both series, at the largest deck.
void BM_LagSums(benchmark::State& bench) {
  const int n = 99998;
  Series rate(n + 1), response(n + 1), out(n + 1);
  for (int k = 1; k <= n; ++k) {
    rate[k] = std::sin(0.01 * k);
    response[k] = 1.0 / std::sqrt(static_cast<double>(k));
  }
  const VectorPath paths[] = {VectorPath::Avx512, VectorPath::Avx2, VectorPath::Baseline};
  const VectorPath path = paths[bench.range(0)];
  for (auto _ : bench) {
    lag_sums(rate, response, n, out, path);
    lag_sums(rate, response, n, out, path);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_LagSums)
    ->ArgName("avx512_avx2_sse2")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Everything after the input phase: parameters, weights, superposition, and the
// results table to a report and a plot file in the temporary folder.
void BM_WholeComputationWithTable(benchmark::State& bench) {
  const auto folder = std::filesystem::temp_directory_path();
  const std::string report_name = (folder / "kesta_bench_report.txt").string();
  const std::string plot_name = (folder / "kesta_bench_plot.txt").string();
  for (auto _ : bench) {
    Deck deck;
    testing::fill_deck(deck, {3, 1, 1, 2, static_cast<int>(bench.range(0)), 20});
    OutputUnit report, plot;
    if (report.open(16, report_name) || plot.open(17, plot_name)) {
      bench.SkipWithError("cannot open the files in the temporary folder");
      break;
    }
    const testing::ModelRun m = testing::prepare_model(deck);
    write_dimensionless_block(m.deck, m.derived, report);
    write_results_heading(report);
    const Results r = superpose(m.deck, m.derived, m.inversion);
    write_results_table(r, report, &plot);
    report.close();
    plot.close();
  }
  std::filesystem::remove(report_name);
  std::filesystem::remove(plot_name);
}
BENCHMARK(BM_WholeComputationWithTable)->ArgName("NT")->Arg(99999)->Unit(benchmark::kMillisecond)->UseRealTime();

// A plain simulation against the estimate of its inversion error at the deck's
// NS, and against the search of NS 6-18 the warning adds; args: IAQ, IXL, NT.
// The estimate is to cost at most twice the simulation.
void BM_Simulation(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)), 1, 2,
                            static_cast<int>(bench.range(2)), 16});
  const testing::ModelRun m = testing::prepare_model(deck);
  for (auto _ : bench) {
    const Results r = superpose(m.deck, m.derived, m.inversion);
    benchmark::DoNotOptimize(r.bank_volume.data());
  }
}

void BM_InversionError(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)), 1, 2,
                            static_cast<int>(bench.range(2)), 16});
  const testing::ModelRun m = testing::prepare_model(deck);
  for (auto _ : bench) {
    const std::vector<InversionError> e = inversion_errors(m.deck, m.derived, {16});
    benchmark::DoNotOptimize(e.front().head.data());
  }
}

void BM_NsSearch(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)), 1, 2,
                            static_cast<int>(bench.range(2)), 16});
  const testing::ModelRun m = testing::prepare_model(deck);
  for (auto _ : bench) {
    const std::vector<InversionError> e = inversion_errors(m.deck, m.derived, {6, 8, 10, 12, 14, 16, 18});
    benchmark::DoNotOptimize(e.front().head.data());
  }
}

#define KESTA_ACCURACY_ARGS                        \
  ArgNames({"IAQ", "IXL", "NT"})                   \
      ->ArgsProduct({{0, 3}, {0, 1}, {100, 5000}}) \
      ->Args({3, 1, 99999})                        \
      ->UseRealTime()                              \
      ->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Simulation)->KESTA_ACCURACY_ARGS;
BENCHMARK(BM_InversionError)->KESTA_ACCURACY_ARGS;
BENCHMARK(BM_NsSearch)->KESTA_ACCURACY_ARGS;

// What a complete run computes: the simulation with every searched order's lag
// errors from the same transforms, then the deck's error and the NS search.
void BM_CheckedRun(benchmark::State& bench) {
  Deck deck;
  testing::fill_deck(deck, {3, 1, 1, 2, static_cast<int>(bench.range(0)), 20});
  const testing::ModelRun m = testing::prepare_model(deck);
  for (auto _ : bench) {
    CheckedSimulation simulation(m.deck, m.derived, m.inversion, searched_orders());
    PairConvolution::Workspace work;
    const InversionError error = simulation.take_error(work);
    benchmark::DoNotOptimize(advise_ns(simulation, error, work).NS);
  }
}
BENCHMARK(BM_CheckedRun)->ArgName("NT")->Arg(1000)->Arg(99999)->Unit(benchmark::kMillisecond)->UseRealTime();

// The transform of the error estimates at the length NT = 99,999 needs; arg:
// 1 for the widest vector path, 0 for the baseline.
void BM_Fft(benchmark::State& bench) {
  const std::size_t n = std::size_t{1} << 18;
  const Fft fft(n, bench.range(0) ? VectorPath::Best : VectorPath::Baseline);
  std::vector<double> re(n, 0.0), im(n, 0.0);
  for (std::size_t i = 0; i < n / 2; ++i) re[i] = std::sin(0.001 * static_cast<double>(i));
  for (auto _ : bench) {
    fft.forward(re.data(), im.data());
    fft.inverse(re.data(), im.data());
    benchmark::DoNotOptimize(re.data());
  }
}
BENCHMARK(BM_Fft)->ArgName("widest")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_EditReal(benchmark::State& state) {
  double x = 1234.5678;
  for (auto _ : state) {
    benchmark::DoNotOptimize(edit_real(x, 13, 6, 'D'));
    x += 1e-3;
  }
}
BENCHMARK(BM_EditReal);

// Reading a deck of NT time-stress lines (99,999, the Stehfest limit, and a
// million, a contour run): lines after the first come a piece at a time, and
// plain numbers are read in place.
void BM_ReadDeck(benchmark::State& bench) {
  const int NT = static_cast<int>(bench.range(0));
  const std::string name = (std::filesystem::temp_directory_path() / "kesta_bench_deck.dat").string();
  {
    std::FILE* f = std::fopen(name.c_str(), "w");
    if (f == nullptr) {
      bench.SkipWithError("cannot write the deck in the temporary folder");
      return;
    }
    std::fputs("Speed deck\nstage and recharge\n2 0.25 0\n1 3 1\n20. 800. 3. 1500.\n15. 2e-4 10.\n", f);
    std::fprintf(f, "0.02 1e-4 5. 0.15\n90. 101.5 3.\n20\n%d\n", NT);
    for (int i = 0; i < NT; ++i)
      std::fprintf(f, "%g %.6f %.6f\n", i * 0.25, 100 + std::sin(i * 0.05), 0.01 * std::cos(i * 0.11));
    (void)std::fclose(f);
  }
  for (auto _ : bench) {
    InputUnit unit;
    Deck deck;
    if (unit.open(15, name) || read_deck_lines(unit, deck, NTLIMIT_CONTOUR)) {
      bench.SkipWithError("the deck did not read");
      break;
    }
    benchmark::DoNotOptimize(deck.STAGE.data());
  }
  std::filesystem::remove(name);
}
BENCHMARK(BM_ReadDeck)->ArgName("NT")->Arg(99999)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// One value into a D13.6 field: by exact integer arithmetic (arg 1, values of a
// report's size) or by the general conversion (arg 0, values near 1e-40, beyond
// what the integer path holds).
void BM_PutReal(benchmark::State& state) {
  const double scale = state.range(0) != 0 ? 1.0 : 1e-40;
  double x = 1234.5678 * scale;
  char field[16];
  for (auto _ : state) {
    put_real(field, x, 13, 6, 'D');
    benchmark::DoNotOptimize(field);
    x += 1e-3 * scale;
  }
}
BENCHMARK(BM_PutReal)->ArgName("exact")->Arg(1)->Arg(0);

// A table of NT rows from the results of a shorter run, repeated: the Stehfest
// sum of a million steps takes far longer than its table, whose editing
// depends only on the numbers' digits.
Results results_of_length(const Results& run, int NT) {
  Results table;
  const std::size_t n = run.time.size();
  for (int k = 0; k < NT; ++k) {
    const auto from = static_cast<std::size_t>(k) % n;
    table.time.push_back(static_cast<double>(k) * 0.25);
    table.head.push_back(run.head[from]);
    table.seepage.push_back(run.seepage[from]);
    table.total_seepage.push_back(run.total_seepage[from]);
    table.bank_storage.push_back(run.bank_storage[from]);
    table.bank_volume.push_back(run.bank_volume[from]);
  }
  return table;
}

// The results table alone, report and plot file, for NT steps; busy = 1 leaves
// one core to other work (the inversion check), as a long run does.
void BM_ResultsTable(benchmark::State& bench) {
  const int NT = static_cast<int>(bench.range(0));
  Deck deck;
  testing::fill_deck(deck, {3, 1, 1, 2, std::min(NT, NTLIMIT), 20});
  const testing::ModelRun m = testing::prepare_model(deck);
  const Results r = results_of_length(superpose(m.deck, m.derived, m.inversion), NT);
  const auto folder = std::filesystem::temp_directory_path();
  const std::string report_name = (folder / "kesta_bench_table.txt").string();
  const std::string plot_name = (folder / "kesta_bench_table_plot.txt").string();
  for (auto _ : bench) {
    OutputUnit report, plot;
    if (report.open(16, report_name) || plot.open(17, plot_name)) {
      bench.SkipWithError("cannot open the files in the temporary folder");
      break;
    }
    write_results_table(r, report, &plot, static_cast<int>(bench.range(1)));
    report.close();
    plot.close();
  }
  std::filesystem::remove(report_name);
  std::filesystem::remove(plot_name);
}
BENCHMARK(BM_ResultsTable)
    ->ArgNames({"NT", "busy"})
    ->ArgsProduct({{1000, 99999, 1'000'000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kesta
