#include "model/lag_responses.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "model/laplace_transforms.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

constexpr int LAGS_PER_CHUNK = 64;

// The Stehfest sum of one order over transforms already evaluated, in the
// order step_response sums it, so the simulation's bits do not change.
struct Sums {
  double RH, RQ;
};
Sums stehfest_sum(const Inversion& inv, const Transforms<double>* F, double TD) {
  const int terms = std::min(inv.NS, NSMAX);
  double SUMH = 0.0;
  double SUMQ = 0.0;
  for (int i = 1; i <= terms; ++i) {
    SUMH = SUMH + F[i].head * inv.V[i];
    SUMQ = SUMQ + inv.V[i] * F[i].seepage;
  }
  return {SUMH * inv.LN2 / TD, SUMQ * inv.LN2 / TD};
}

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

  int terms = simulation ? std::min(simulation->NS, NSMAX) : 0;
  for (const Inversion& inv : checked) terms = std::max(terms, std::min(inv.NS, NSMAX));
  // Every order takes ln 2 and the exponent cap from the simulation's inversion.
  const Inversion& first = simulation ? *simulation : checked.front();
  const double XZERO2 = deck.XZERO * deck.XZERO;
  const double storage_scale = deck.AS * XZERO2;
  // The lags of one chain m, 2m, 4m, ... (m odd) in turn, each with the terms
  // of the one before it at hand.
  auto one_lag = [&](int j, const Terms* before, Terms& now) {
    const auto at = static_cast<std::size_t>(j);
    const double TD = (deck.AK * (static_cast<double>(j) * deck.DELT)) / storage_scale;
    for (int i = 1; i <= terms; ++i) {
      const double p = (static_cast<double>(i) * first.LN2) / TD;
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
    if (simulation) {
      const Sums s = stehfest_sum(*simulation, now.F, TD);
      r.RH[at] = s.RH;
      r.RQ[at] = s.RQ;
    }
    for (std::size_t m = 0; m < checked.size(); ++m) {
      const Sums s = stehfest_sum(checked[m], now.F, TD);
      r.error_H[m][at - 1] = static_cast<T>(s.RH - reference->RH[at]);
      r.error_Q[m][at - 1] = static_cast<T>(s.RQ - reference->RQ[at]);
    }
  };
  const int chains = (lags + 1) / 2;
  parallel_for(chains, kParallelFrom / 2, LAGS_PER_CHUNK, [&](int c) {
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
