#include "model/lag_sums.hpp"

#include <algorithm>
#include <cstring>

#include "model/parallel_for.hpp"

namespace kesta {
namespace {

// Lanes of doubles in one register: two on the SSE2 baseline, four with AVX2,
// eight with AVX-512. Lanes are multiplied and added separately, never fused.
typedef double Lanes2 __attribute__((vector_size(16)));
typedef double Lanes4 __attribute__((vector_size(32)));
typedef double Lanes8 __attribute__((vector_size(64)));

// Below this many output steps more threads cost more than they save.
constexpr int PARALLEL_MIN_STEPS = 2048;

// One output step alone, from lag `first` on, continuing a partial sum.
inline double continue_sum(const double* rate, const double* response, int i, int first, double sum) {
  for (int j = first; j <= i; ++j) sum = sum + rate[i - j + 1] * response[j];
  return sum;
}

// Output steps lo..lo+B-1 (B = GROUPS registers of lanes), one per lane. Up to
// lag lo every lane has a term, so the lanes advance together: at lag j they read
// the consecutive rates from rate[lo - j + 1] on and the same response[j]. Past
// lag lo each lane finishes its own remaining lags alone, in increasing order.
template <typename Lanes, int GROUPS>
__attribute__((always_inline)) inline void block_sums(const double* rate, const double* response, int lo, double* out) {
  constexpr int LANES = static_cast<int>(sizeof(Lanes) / sizeof(double));
  Lanes acc[GROUPS];
#pragma GCC unroll 8
  for (int g = 0; g < GROUPS; ++g) acc[g] = Lanes{};
  for (int j = 1; j <= lo; ++j) {
    Lanes broadcast;
#pragma GCC unroll 4
    for (int l = 0; l < LANES; ++l) broadcast[l] = response[j];
    const double* window = rate + (lo - j + 1);
#pragma GCC unroll 8
    for (int g = 0; g < GROUPS; ++g) {
      Lanes w;
      std::memcpy(&w, window + LANES * g, sizeof w);
      const Lanes term = w * broadcast;
      acc[g] = acc[g] + term;
    }
  }
  double lane_sums[LANES * GROUPS];
  std::memcpy(lane_sums, acc, sizeof lane_sums);
  for (int l = 0; l < LANES * GROUPS; ++l) out[lo + l] = continue_sum(rate, response, lo + l, lo + 1, lane_sums[l]);
}

// Eight independent registers of sums in flight hide the latency of the adds on
// both paths and leave registers for the rates and the broadcast response.
constexpr int GROUPS = 8;

__attribute__((target("avx512f"))) void block_avx512(const double* rate, const double* response, int lo, double* out) {
  block_sums<Lanes8, GROUPS>(rate, response, lo, out);
}

__attribute__((target("avx2"))) void block_avx2(const double* rate, const double* response, int lo, double* out) {
  block_sums<Lanes4, GROUPS>(rate, response, lo, out);
}

void block_baseline(const double* rate, const double* response, int lo, double* out) {
  block_sums<Lanes2, GROUPS>(rate, response, lo, out);
}

using BlockSums = void (*)(const double*, const double*, int, double*);

struct Blocks {
  BlockSums sums;
  int steps;  // output steps per block, one per lane
};

// The widest path asked for that the processor has.
Blocks blocks_for(VectorPath path) {
  const bool avx512 = __builtin_cpu_supports("avx512f");
  const bool avx2 = __builtin_cpu_supports("avx2");
  if ((path == VectorPath::Best || path == VectorPath::Avx512) && avx512) return {block_avx512, 8 * GROUPS};
  if (path != VectorPath::Baseline && avx2) return {block_avx2, 4 * GROUPS};
  return {block_baseline, 2 * GROUPS};
}

}  // namespace

void lag_sums(std::span<const double> rate, std::span<const double> response, int n, std::span<double> out,
              VectorPath path) {
  const auto needed = static_cast<std::size_t>(std::max(n, 0)) + 1;
  if (n <= 0 || rate.size() < needed || response.size() < needed || out.size() < needed) return;
  const Blocks chosen = blocks_for(path);
  const BlockSums block = chosen.sums;
  const int B = chosen.steps;

  // Blocks run from the top output step down, so the longest sums start first;
  // the short leftover at the bottom is summed step by step.
  const double* r = rate.data();
  const double* h = response.data();
  double* o = out.data();
  const int blocks = n / B;
  parallel_for(blocks, PARALLEL_MIN_STEPS / B, 1, [&](int b) { block(r, h, n - (b + 1) * B + 1, o); });
  for (int i = 1; i <= n - blocks * B; ++i) o[i] = continue_sum(r, h, i, 1, 0.0);
}

}  // namespace kesta
