#include "model/superposition.hpp"

#include <array>

#include <cmath>

#include "model/convolved_sums.hpp"
#include "model/kernel.hpp"
#include "model/lag_sums.hpp"
#include "model/printed_accuracy.hpp"
#include "model/run_plan.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

using Series = std::vector<double>;

// A step is summed again in order when the convolution's rounding bound
// reaches this share of half a unit of its last printed digit: the printed
// digits then stay those of the sums in order unless the exact value lies
// within a thousandth of that half unit of a rounding boundary, an exact tie
// at the inversion's own accuracy.
constexpr double kGuard = 1e-3;

// The sums again in order cost at most this many convolutions' worth of
// products (n·log2 n each); steps past that keep the convolution's value and
// its bound, which the contour engine's check of its digits takes in.
constexpr double kResumBudget = 8.0;

// The head and seepage sums of every step by convolution, those whose printed
// digits the rounding might reach summed again in order, steps of few lags
// first. `rounding` gets each step's bound as printed, 0 where summed in order.
void convolved_sums(const Deck& deck, const Derived& derived, std::span<const double> HRATE, std::span<const double> RH,
                    std::span<const double> QRATE, std::span<const double> RQ, int lags, Results& results,
                    StepRounding* rounding) {
  const ConvolutionRounding bound = convolved_lag_sums(HRATE, RH, QRATE, RQ, lags, results.head, results.seepage);
  // The bounds as printed: the sums are scaled as below.
  const double head_bound = bound.head * deck.DELT;
  const double seepage_bound = (bound.seepage * (deck.AK / derived.XZEROD)) * deck.DELT;
  const auto n = static_cast<std::size_t>(deck.NT);
  if (rounding != nullptr) {
    rounding->head.assign(n, 0.0);
    rounding->seepage.assign(n, 0.0);
  }
  double budget = kResumBudget * static_cast<double>(lags) * std::log2(static_cast<double>(lags) + 1.0);
  for (int i = 1; i <= lags; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double head = results.head[k] * deck.DELT + deck.HINIT;
    const double seepage = (results.seepage[k] * (deck.AK / derived.XZEROD)) * deck.DELT;
    const bool head_held = head_bound <= kGuard * half_unit(head, kHeadDigits);
    const bool seepage_held = seepage_bound <= kGuard * half_unit(seepage, kSeepageDigits);
    if (!head_held && budget >= i) {
      results.head[k] = lag_sum(HRATE, RH, i);
      budget -= i;
    } else if (rounding != nullptr) {
      rounding->head[k] = head_bound;
    }
    if (!seepage_held && budget >= i) {
      results.seepage[k] = lag_sum(QRATE, RQ, i);
      budget -= i;
    } else if (rounding != nullptr) {
      rounding->seepage[k] = seepage_bound;
    }
  }
}

}  // namespace

Results superpose_responses(const Deck& deck, const Derived& derived, std::span<const double> RH,
                            std::span<const double> RQ, LagSumRoute route, StepRounding* rounding) {
  const int NT = deck.NT;
  Results results;
  if (NT <= 0) return results;
  const auto n = static_cast<std::size_t>(NT);
  // A long run's six series are fresh memory: every core fills some of them,
  // so their first touches (a fault a page) share the cores.
  const std::array<Series*, 6> series = {&results.time,          &results.head,         &results.seepage,
                                         &results.total_seepage, &results.bank_storage, &results.bank_volume};
  const std::array<double, 6> initial = {0.0, deck.HINIT, 0.0, 0.0, 0.0, 0.0};
  const int count = static_cast<int>(series.size());
  parallel_for(count, NT >= kParallelFrom ? 1 : count + 1, 1,
               [&](int k) { series[static_cast<std::size_t>(k)]->assign(n, initial[static_cast<std::size_t>(k)]); });
  for (int k = 1; k <= NT; ++k)
    results.time[static_cast<std::size_t>(k - 1)] = static_cast<double>(k - 1) * deck.DELT + deck.TINIT;
  const int lags = NT - 1;
  if (lags < 1) return results;

  // The step response depends on the lag alone: each step sums the rates
  // before it times the response at the lag since each. The sums land in the
  // head and seepage series, entry i for step i + 1, and are scaled there.
  {
    // The change of stress over interval m, per unit time, acts as a step at
    // its start.
    StressSteps steps = stress_steps(deck);
    std::vector<double>& HRATE = steps.head;
    std::vector<double>& QRATE = steps.seepage;
    for (int m = 1; m <= lags; ++m) {
      HRATE[m] = HRATE[m] / deck.DELT;
      QRATE[m] = QRATE[m] / deck.DELT;
    }
    if (route == LagSumRoute::Convolution) {
      convolved_sums(deck, derived, HRATE, RH, QRATE, RQ, lags, results, rounding);
    } else {
      lag_sums(HRATE, RH, lags, results.head);
      lag_sums(QRATE, RQ, lags, results.seepage);
      // Summed in order: no bound at any step.
      if (rounding != nullptr) *rounding = {std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    }
  }
  for (int i = 1; i <= lags; ++i) {
    const auto k = static_cast<std::size_t>(i);
    results.head[k] = results.head[k] * deck.DELT + deck.HINIT;
    results.seepage[k] = (results.seepage[k] * (deck.AK / derived.XZEROD)) * deck.DELT;
    results.total_seepage[k] = (2.0 * results.seepage[k]) * deck.XSTREAM;
    // Seepage that leaves the aquifer for the stream empties bank storage.
    results.bank_storage[k] = results.bank_storage[k - 1] - results.seepage[k] * deck.DELT;
    results.bank_volume[k] = deck.XSTREAM * (2.0 * results.bank_storage[k]);
  }
  return results;
}

Results superpose(const Deck& deck, const Derived& derived, const Inversion& inversion) {
  return run_plan<float>(deck, derived, {inversion, {}, false}).results;
}

}  // namespace kesta
