#include "model/lag_sums.hpp"

#include <algorithm>
#include <cstring>

#include "support/parallel_for.hpp"

namespace kesta {
namespace {

// Lanes of doubles in one register: two on the SSE2 baseline, four with AVX2,
// eight with AVX-512. Lanes are multiplied and added separately, never fused.
typedef double Lanes2 __attribute__((vector_size(16)));
typedef double Lanes4 __attribute__((vector_size(32)));
typedef double Lanes8 __attribute__((vector_size(64)));

// One output step alone, from lag `first` on, continuing a partial sum.
inline double continue_sum(const double* rate, const double* response, int i, int first, double sum) {
  for (int j = first; j <= i; ++j) sum = sum + rate[i - j + 1] * response[j];
  return sum;
}

// Lags 1..last of the block of output steps from `first` on, added to its sums
// (one register of lanes per group, one step per lane): at lag j the lanes
// read the consecutive rates from rate[first - j + 1] on and the same
// response[j].
template <typename Lanes, int Groups>
__attribute__((always_inline)) inline void add_lags(Lanes (&acc)[Groups], const double* rate, const double* response,
                                                    int first, int last) {
  constexpr int kLanes = static_cast<int>(sizeof(Lanes) / sizeof(double));
  for (int j = 1; j <= last; ++j) {
    // In every lane: subtracting zeros is exact for every value, -0 and NaN
    // included, and compiles to one broadcast where filling the lanes one by
    // one compiled to a masked load per lane.
    const Lanes broadcast = response[j] - Lanes{};
    const double* window = rate + (first - j + 1);
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g) {
      Lanes w;
      std::memcpy(&w, window + kLanes * g, sizeof w);
      acc[g] = acc[g] + w * broadcast;
    }
  }
}

// Past lag `first` each lane of the block from `first` on finishes its own
// remaining lags alone, in increasing order.
template <typename Lanes, int Groups>
__attribute__((always_inline)) inline void finish_lanes(const Lanes (&acc)[Groups], const double* rate,
                                                        const double* response, int first, double* out) {
  constexpr int kSteps = static_cast<int>(sizeof(Lanes) / sizeof(double)) * Groups;
  double lane_sums[kSteps];
  std::memcpy(lane_sums, acc, sizeof lane_sums);
  for (int l = 0; l < kSteps; ++l) out[first + l] = continue_sum(rate, response, first + l, first + 1, lane_sums[l]);
}

// Output steps lo..lo+B-1 (B = Groups registers of lanes), one per lane. Up to
// lag lo every lane has a term, so the lanes advance together.
template <typename Lanes, int Groups>
__attribute__((always_inline)) inline void block_sums(const double* rate, const double* response, int lo, double* out) {
  Lanes acc[Groups];
#pragma GCC unroll 8
  for (int g = 0; g < Groups; ++g) acc[g] = Lanes{};
  add_lags(acc, rate, response, lo, lo);
  finish_lanes(acc, rate, response, lo, out);
}

// Blocks lo and lo + B (B output steps each) at once. The window of rates that
// block lo reads at lag j is the one block lo + B reads at lag j + B, so one
// load serves both blocks' products: loading the rates, not multiplying them,
// bounds the single block. Each step still sums its lags in increasing order:
// the upper block takes its first B lags alone, then lags B + 1 on beside the
// lower block's lags 1 on.
template <typename Lanes, int Groups>
__attribute__((always_inline)) inline void pair_sums(const double* rate, const double* response, int lo, double* out) {
  constexpr int kLanes = static_cast<int>(sizeof(Lanes) / sizeof(double));
  constexpr int B = kLanes * Groups;
  const int hi = lo + B;
  Lanes low[Groups], high[Groups];
#pragma GCC unroll 8
  for (int g = 0; g < Groups; ++g) low[g] = high[g] = Lanes{};
  add_lags(high, rate, response, hi, B);
  for (int j = 1; j <= lo; ++j) {
    const Lanes at_low = response[j] - Lanes{};
    const Lanes at_high = response[j + B] - Lanes{};
    const double* window = rate + (lo - j + 1);
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g) {
      Lanes w;
      std::memcpy(&w, window + kLanes * g, sizeof w);
      // Held in a register: g++ would otherwise fold a load into each of the
      // two products and read the window twice.
#if defined(__GNUC__) && !defined(__clang__)
      asm("" : "+v"(w));
#endif
      low[g] = low[g] + w * at_low;
      high[g] = high[g] + w * at_high;
    }
  }
  finish_lanes(low, rate, response, lo, out);
  finish_lanes(high, rate, response, hi, out);
}

// Each path sums two neighbouring blocks at once. Eight registers of sums per
// block fill AVX-512's thirty-two; the sixteen of AVX2 and of the baseline
// hold four per block. Eight sums in flight hide the latency of the adds.
constexpr int kGroups = 8;
constexpr int kNarrowGroups = 4;

__attribute__((target("avx512f"))) void block_avx512(const double* rate, const double* response, int lo, double* out) {
  block_sums<Lanes8, kGroups>(rate, response, lo, out);
}

__attribute__((target("avx512f"))) void pair_avx512(const double* rate, const double* response, int lo, double* out) {
  pair_sums<Lanes8, kGroups>(rate, response, lo, out);
}

__attribute__((target("avx2"))) void block_avx2(const double* rate, const double* response, int lo, double* out) {
  block_sums<Lanes4, kNarrowGroups>(rate, response, lo, out);
}

__attribute__((target("avx2"))) void pair_avx2(const double* rate, const double* response, int lo, double* out) {
  pair_sums<Lanes4, kNarrowGroups>(rate, response, lo, out);
}

void block_baseline(const double* rate, const double* response, int lo, double* out) {
  block_sums<Lanes2, kNarrowGroups>(rate, response, lo, out);
}

void pair_baseline(const double* rate, const double* response, int lo, double* out) {
  pair_sums<Lanes2, kNarrowGroups>(rate, response, lo, out);
}

using BlockSums = void (*)(const double*, const double*, int, double*);

struct Blocks {
  BlockSums sums;   // one block: the odd one left over at the bottom
  BlockSums pairs;  // two neighbouring blocks at once
  int steps;        // output steps per block, one per lane
};

// The widest path asked for that the processor has.
Blocks blocks_for(VectorPath path) {
  switch (available_path(path)) {
    case VectorPath::Avx512: return {block_avx512, pair_avx512, 8 * kGroups};
    case VectorPath::Avx2: return {block_avx2, pair_avx2, 4 * kNarrowGroups};
    default: return {block_baseline, pair_baseline, 2 * kNarrowGroups};
  }
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
  // Pair p holds blocks 2p and 2p + 1; an odd last block goes alone.
  const BlockSums pair = chosen.pairs;
  parallel_for(blocks / 2, kParallelFrom / (2 * B), 1, [&](int p) { pair(r, h, n - (2 * p + 2) * B + 1, o); });
  if (blocks % 2 != 0) block(r, h, n - blocks * B + 1, o);
  for (int i = 1; i <= n - blocks * B; ++i) o[i] = continue_sum(r, h, i, 1, 0.0);
}

double lag_sum(std::span<const double> rate, std::span<const double> response, int i) {
  return continue_sum(rate.data(), response.data(), i, 1, 0.0);
}

}  // namespace kesta
