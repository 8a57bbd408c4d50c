#include "model/lag_responses.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "model/kernel.hpp"
#include "model/parallel_for.hpp"

namespace kesta {
namespace {

// Below this many lags one thread does the work faster than two: starting the
// second costs more than it saves, and a small run leaves the other core to
// whatever else runs.
constexpr int PARALLEL_MIN_LAGS = 2048;
constexpr int LAGS_PER_CHUNK = 64;

// The p and the transforms of every term at one lag.
struct Terms {
  double p[NSMAX + 1];
  Transforms<double> F[NSMAX + 1];
};

}  // namespace

template <typename T>
LagResponses<T> lag_responses(const Deck& deck, const Derived& derived, int lags, const Inversion* simulation,
                              const std::vector<Inversion>& checked, const ContourResponses* reference) {
  LagResponses<T> r;
  if (lags < 1 || (!simulation && checked.empty())) return r;
  const auto size = static_cast<std::size_t>(lags);
  // Every lag is written below, on whichever core takes it; entry 0 of the
  // responses belongs to no lag.
  if (simulation) {
    r.RH.resize(size + 1);
    r.RQ.resize(size + 1);
    r.RH[0] = r.RQ[0] = 0.0;
  }
  r.error_H.resize(checked.size());
  r.error_Q.resize(checked.size());
  for (std::size_t m = 0; m < checked.size(); ++m) {
    r.error_H[m].resize(size);
    r.error_Q[m].resize(size);
  }

  int terms = simulation ? stehfest_terms(*simulation) : 0;
  for (const Inversion& inv : checked) terms = std::max(terms, stehfest_terms(inv));
  // Every order takes ln 2 and the exponent cap from the simulation's inversion.
  const Inversion& first = simulation ? *simulation : checked.front();
  // The lags of one chain m, 2m, 4m, ... (m odd) in turn, each with the terms
  // of the one before it at hand.
  auto one_lag = [&](int j, const Terms* before, Terms& now) {
    const auto at = static_cast<std::size_t>(j);
    const double TD = lag_time(deck, j);
    for (int i = 1; i <= terms; ++i) {
      const double p = stehfest_variable(i, first.LN2, TD);
      now.p[i] = p;
      // Term i of lag j falls at the p of term i/2 of lag j/2 when doubling
      // the numerator and the time step is exact, as it is but for numbers
      // near the ends of the double range: the transforms are a function of
      // p alone, so the same bits of p give the same transforms.
      if (before != nullptr && i % 2 == 0 &&
          std::bit_cast<std::uint64_t>(p) == std::bit_cast<std::uint64_t>(before->p[i / 2]))
        now.F[i] = before->F[i / 2];
      else
        now.F[i] = laplace_transforms(p, deck, derived, first.EXPMAX);
    }
    auto evaluated = [&](int i) { return now.F[i]; };
    if (simulation) {
      const StepResponse s = stehfest_sum(*simulation, TD, evaluated);
      r.RH[at] = s.RH;
      r.RQ[at] = s.RQ;
    }
    for (std::size_t m = 0; m < checked.size(); ++m) {
      const StepResponse s = stehfest_sum(checked[m], TD, evaluated);
      r.error_H[m][at - 1] = static_cast<T>(s.RH - reference->RH[at]);
      r.error_Q[m][at - 1] = static_cast<T>(s.RQ - reference->RQ[at]);
    }
  };
  const int chains = (lags + 1) / 2;
  parallel_for(chains, PARALLEL_MIN_LAGS / 2, LAGS_PER_CHUNK, [&](int c) {
    Terms terms_a, terms_b;
    const Terms* before = nullptr;
    Terms* now = &terms_a;
    for (int j = 2 * c + 1;; j *= 2) {
      one_lag(j, before, *now);
      if (j > lags / 2) break;
      before = now;
      now = now == &terms_a ? &terms_b : &terms_a;
    }
  });
  return r;
}

template LagResponses<float> lag_responses(const Deck&, const Derived&, int, const Inversion*,
                                           const std::vector<Inversion>&, const ContourResponses*);
template LagResponses<double> lag_responses(const Deck&, const Derived&, int, const Inversion*,
                                            const std::vector<Inversion>&, const ContourResponses*);

}  // namespace kesta
