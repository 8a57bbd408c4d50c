// Benchmarks of the run's phases; the model benchmarks live beside this file.
#include <benchmark/benchmark.h>

#include "report/record_editing.hpp"

namespace {

void BM_EditReal(benchmark::State& state) {
  double x = 1234.5678;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kesta::edit_real(x, 13, 6, 'D'));
    x += 1e-3;
  }
}
BENCHMARK(BM_EditReal);

}  // namespace
