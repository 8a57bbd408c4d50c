#include "model/run_plan.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#include "model/contour_inversion.hpp"
#include "model/inversion.hpp"
#include "model/kernel.hpp"
#include "model/superposition.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

constexpr int kLagsPerChunk = 64;

// The p and the transforms of every term at one lag.
struct Terms {
  double p[NSMAX + 1];
  Transforms<double> F[NSMAX + 1];
};

// Lags 1..lags: the simulation's step responses into RH and RQ (entry j for
// lag j), each checked order's less the reference's into run.error_H/Q.
template <typename T>
void evaluate_lags(const Deck& deck, const Derived& derived, int lags, const RunPlan& plan,
                   const std::vector<Inversion>& checked, const ContourResponses& reference, FilledSeries<double>& RH,
                   FilledSeries<double>& RQ, PlannedRun<T>& run) {
  const auto size = static_cast<std::size_t>(lags);
  // Every lag is written below, on whichever core takes it; entry 0 of the
  // responses belongs to no lag.
  if (plan.simulation) {
    RH.resize(size + 1);
    RQ.resize(size + 1);
    RH[0] = RQ[0] = 0.0;
  }
  for (std::size_t m = 0; m < checked.size(); ++m) {
    run.error_H[m].resize(size);
    run.error_Q[m].resize(size);
  }

  int terms = plan.simulation ? stehfest_terms(*plan.simulation) : 0;
  for (const Inversion& inv : checked) terms = std::max(terms, stehfest_terms(inv));
  // Every order takes ln 2 and the exponent cap from the simulation's inversion.
  const Inversion& first = plan.simulation ? *plan.simulation : checked.front();
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
    if (plan.simulation) {
      const StepResponse s = stehfest_sum(*plan.simulation, TD, evaluated);
      RH[at] = s.RH;
      RQ[at] = s.RQ;
    }
    for (std::size_t m = 0; m < checked.size(); ++m) {
      const StepResponse s = stehfest_sum(checked[m], TD, evaluated);
      run.error_H[m][at - 1] = static_cast<T>(s.RH - reference.RH[at]);
      run.error_Q[m][at - 1] = static_cast<T>(s.RQ - reference.RQ[at]);
    }
  };
  const int chains = (lags + 1) / 2;
  parallel_for(chains, kParallelFrom / 2, kLagsPerChunk, [&](int c) {
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
}

}  // namespace

PairConvolution stress_changes(const Deck& deck, int lags) {
  const StressSteps steps = stress_steps(deck);
  const auto n = static_cast<std::size_t>(lags);
  return PairConvolution(std::span<const double>(steps.head).subspan(1, n),
                         std::span<const double>(steps.seepage).subspan(1, n));
}

template <typename T>
PlannedRun<T> run_plan(const Deck& deck, const Derived& derived, const RunPlan& plan) {
  const int lags = deck.NT > 1 ? deck.NT - 1 : 0;  // no steps at all for NT <= 0
  const bool judged = plan.reference || !plan.checked.empty();
  PlannedRun<T> run;
  run.error_H.resize(plan.checked.size());
  run.error_Q.resize(plan.checked.size());
  {
    std::vector<Inversion> checked;
    checked.reserve(plan.checked.size());
    for (int NS : plan.checked) checked.push_back(prepare_inversion(NS));
    ContourResponses reference;
    if (judged) reference = contour_responses(deck, derived, lags);
    FilledSeries<double> RH, RQ;
    if (lags >= 1 && (plan.simulation || !checked.empty()))
      evaluate_lags(deck, derived, lags, plan, checked, reference, RH, RQ, run);
    if (plan.simulation) {
      if (judged && lags >= 1) {
        // The own order's lag errors take the place of the contour's responses:
        // entry j - 1 is written once entry j - 1 of those has been read.
        run.own_H = std::move(reference.RH);
        run.own_Q = std::move(reference.RQ);
        for (int j = 1; j <= lags; ++j) {
          const auto at = static_cast<std::size_t>(j);
          run.own_H[at - 1] = RH[at] - run.own_H[at];
          run.own_Q[at - 1] = RQ[at] - run.own_Q[at];
        }
        run.own_H.pop_back();
        run.own_Q.pop_back();
      }
      run.results = superpose_responses(deck, derived, RH, RQ);
    }
  }
  // Transformed only once the simulation's own series are gone: the peak of
  // memory stays that of the simulation.
  if (judged) run.changes.emplace(stress_changes(deck, lags));
  return run;
}

template PlannedRun<float> run_plan(const Deck&, const Derived&, const RunPlan&);
template PlannedRun<double> run_plan(const Deck&, const Derived&, const RunPlan&);

}  // namespace kesta
