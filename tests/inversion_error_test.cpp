// The inversion-error estimate judged by closed forms: the contour inversion
// that it trusts, the convolution that carries the errors over the stress
// series, and the estimate itself against the true error of every order.
#include "inversion_errors.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "closed_forms.hpp"
#include "model/contour_inversion.hpp"
#include "model/fft_convolution.hpp"
#include "model_fixture.hpp"

namespace kesta {
namespace {

using testing::Exact;

// A unit rise of stage after the first step, confined semi-infinite aquifer in
// dimensionless units: the head and seepage of step k are the step responses at
// t = k·DELT, so the closed forms give the true values directly.
struct UnitRise {
  const char* name;
  int IXA;
  double XAA;
  Exact (*exact)(double t);
};

constexpr double WELL = 3.0;  // X with XZERO = 1: x = XD - 1 = 2
constexpr double LEAKANCE = 0.7;

const UnitRise kUnitRises[] = {
    {"half_space", 0, 0.0, [](double t) { return testing::half_space(WELL - 1.0, t); }},
    {"behind_streambank", 1, LEAKANCE,
     [](double t) { return testing::behind_streambank(WELL - 1.0, 1.0 / LEAKANCE, t); }},
};

Deck unit_rise_deck(const UnitRise& c, int NT) {
  Deck deck;
  testing::fill_worked_example(deck);
  deck.X = WELL;
  deck.IXA = c.IXA;
  deck.XAA = c.XAA;
  deck.DELT = 0.5;
  deck.NT = NT;
  deck.STAGE.assign(static_cast<std::size_t>(NT), 1.0);
  deck.STAGE[0] = 0.0;
  deck.TIME.assign(static_cast<std::size_t>(NT), 0.0);
  deck.RECH.assign(static_cast<std::size_t>(NT), 0.0);
  return deck;
}

// The contour inversion meets the closed forms and 40-digit inversions to about
// 1e-13 per unit rise; below this the true error of an order cannot be told.
constexpr double REFERENCE_FLOOR = 1e-11;

class EstimateAgainstTruth : public ::testing::TestWithParam<UnitRise> {};

// Never below the true error by more than a factor of 3, never above it by more
// than 10, for every order the program accepts from 6 up.
TEST_P(EstimateAgainstTruth, BoundsTheTrueErrorOfEveryOrder) {
  const UnitRise& c = GetParam();
  const Deck deck = unit_rise_deck(c, 60);
  const Derived derived = derive(deck);
  std::vector<int> orders;
  for (int NS = 6; NS <= NSMAX; ++NS) orders.push_back(NS);
  const std::vector<InversionError> estimates = inversion_errors(deck, derived, orders);
  ASSERT_EQ(estimates.size(), orders.size());
  for (const InversionError& e : estimates) {
    Deck at = deck;
    at.NS = e.NS;
    const Results printed = testing::run_model(at).results;
    for (std::size_t k = 1; k < printed.head.size(); ++k) {
      const Exact exact = c.exact(static_cast<double>(k) * deck.DELT);
      const double truth[] = {printed.head[k] - exact.head, printed.seepage[k] - exact.seepage};
      const double estimate[] = {e.head[k], e.seepage[k]};
      for (int q = 0; q < 2; ++q) {
        const double t = std::fabs(truth[q]), est = std::fabs(estimate[q]);
        const std::string where =
            (q == 0 ? "head" : "seepage") + std::string(" NS ") + std::to_string(e.NS) + " step " + std::to_string(k);
        if (t > REFERENCE_FLOOR) {
          EXPECT_GE(est, t / 3.0) << where;
          EXPECT_LE(est, 10.0 * t) << where;
        } else {
          EXPECT_LE(est, 10.0 * REFERENCE_FLOOR) << where;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ConfinedSemiInfinite, EstimateAgainstTruth, ::testing::ValuesIn(kUnitRises),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ContourInversion, MeetsTheClosedFormsOverSixDecadesOfTime) {
  for (const UnitRise& c : kUnitRises) {
    for (double DELT : {1e-3, 1.0, 100.0}) {
      Deck deck = unit_rise_deck(c, 2);
      deck.DELT = DELT;
      const ContourResponses r = contour_responses(deck, derive(deck), 3000);
      for (int j = 1; j <= 3000; j += 7) {
        const Exact exact = c.exact(j * DELT);
        EXPECT_NEAR(r.RH[static_cast<std::size_t>(j)], exact.head, 1e-12) << c.name << " t " << j * DELT;
        EXPECT_NEAR(r.RQ[static_cast<std::size_t>(j)], exact.seepage, 1e-12 * (1.0 + std::fabs(exact.seepage)))
            << c.name << " t " << j * DELT;
      }
    }
  }
}

// Every order's printed values less its estimated error are the exact values:
// the same for all orders, to the contour's error times the stress changes. This
// holds only if the estimate sees the very step responses the superposition
// sums, the same stresses, lags and seepage scale.
class EveryAquifer : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(EveryAquifer, OrdersAgreeOnTheExactValues) {
  const auto [IAQ, IXL] = GetParam();
  Deck deck;
  testing::fill_deck(deck, {IAQ, IXL, 1, 2, 300, 8});
  const Derived derived = derive(deck);
  double changes = 0.0;  // Σ|stage change| + Σ|recharge change|
  for (int k = 1; k < deck.NT; ++k)
    changes += std::fabs(deck.STAGE[k] - deck.STAGE[k - 1]) + std::fabs(deck.RECH[k] - deck.RECH[k - 1]);
  const double seepage_scale = deck.AK / derived.XZEROD;
  const std::vector<InversionError> errors = inversion_errors(deck, derived, {8, 14, 20});
  std::vector<Results> exact;
  for (const InversionError& e : errors) {
    Deck at = deck;
    at.NS = e.NS;
    Results r = testing::run_model(at).results;
    for (std::size_t k = 0; k < r.head.size(); ++k) {
      r.head[k] -= e.head[k];
      r.seepage[k] -= e.seepage[k];
    }
    exact.push_back(r);
  }
  const double tolerance = 10.0 * 1e-13 * changes;
  for (std::size_t m = 1; m < exact.size(); ++m)
    for (std::size_t k = 0; k < exact[0].head.size(); ++k) {
      ASSERT_NEAR(exact[m].head[k], exact[0].head[k], tolerance) << "NS " << errors[m].NS << " step " << k;
      ASSERT_NEAR(exact[m].seepage[k], exact[0].seepage[k], seepage_scale * tolerance)
          << "NS " << errors[m].NS << " step " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(IaqAndIxl, EveryAquifer,
                         ::testing::Values(std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 0}, std::pair{3, 0},
                                           std::pair{0, 1}, std::pair{1, 1}, std::pair{2, 1}, std::pair{3, 1}),
                         [](const auto& info) {
                           return "IAQ" + std::to_string(info.param.first) + "_IXL" + std::to_string(info.param.second);
                         });

TEST(FftConvolution, MatchesThePlainSumShortAndLongAcrossPowersOfTwo) {
  testing::Noise noise{42};
  for (std::size_t n : {1u, 2u, 3u, 64u, 65u, 1000u, 1024u, 1025u}) {
    std::vector<double> a(n), b(n);
    for (std::size_t i = 0; i < n; ++i) {
      a[i] = noise.next();
      b[i] = 1e-6 * noise.next();
    }
    const std::vector<double> out = convolve(a, b);
    ASSERT_EQ(out.size(), n);
    for (std::size_t i = 0; i < n; ++i) {
      double sum = 0.0;
      for (std::size_t j = 0; j <= i; ++j) sum += a[i - j] * b[j];
      // Rounding of the transforms: 1e-15·log2(n) of |a|·|b| summed, n ≤ 1025.
      EXPECT_NEAR(out[i], sum, 1e-14 * 1e-6 * static_cast<double>(n)) << "n " << n << " i " << i;
    }
  }
}

}  // namespace
}  // namespace kesta
