#include "step_response.hpp"

#include <cfloat>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/inversion.hpp"

namespace kesta {
namespace {

// What the step response reads: the codes, the derived parameters and the
// inversion, as the driver prepares them.
struct ModelInputs {
  Deck deck;
  Derived derived;
  Inversion inversion;
};

StepResponse step_response(double TD, const ModelInputs& m) {
  return kesta::step_response(TD, m.deck, m.derived, m.inversion);
}

// A confined, semi-infinite aquifer without streambank.
ModelInputs confined_state(int NS, double XD) {
  ModelInputs state;
  state.derived.XD = XD;
  state.derived.GAMMA1 = 0.0001;
  state.derived.SIGMA1 = 0.0001;
  state.inversion = prepare_inversion(NS);
  return state;
}

// Σ|V(i)|/i: the size of the terms that cancel in an inversion of something
// bounded by 1/p, which scales the rounding error of the sum.
double term_magnitude(const ModelInputs& state) {
  double magnitude = 0.0;
  for (int i = 1; i <= state.inversion.NS; ++i) magnitude += std::fabs(state.inversion.V[i]) / i;
  return magnitude;
}

TEST(StepResponse, WorkedExampleAtUnitTime) {
  const ModelInputs state = confined_state(10, 2.0);
  const StepResponse r = step_response(1.0, state);
  // Worked example (XD = 2, TD = 1, NS = 10), quoted to nine decimals.
  EXPECT_NEAR(r.RH, 0.479495505, 1e-9);
  EXPECT_NEAR(r.RQ, -0.564190283, 1e-9);
}

TEST(StepResponse, ConfinedMatchesErfcAndGradientWithinTenTermError) {
  const ModelInputs state = confined_state(10, 2.0);
  for (double TD = 0.01; TD < 2000.0; TD *= 1.5) {
    const StepResponse r = step_response(TD, state);
    // Closed forms of the confined semi-infinite aquifer: head erfc((XD-1)/(2 sqrt TD)),
    // gradient at the bank -1/sqrt(pi TD). Bounds: the ten-term inversion error.
    EXPECT_NEAR(r.RH, std::erfc(1.0 / (2.0 * std::sqrt(TD))), 2e-4) << "TD = " << TD;
    EXPECT_NEAR(r.RQ, -1.0 / std::sqrt(std::numbers::pi * TD), 1e-6 / std::sqrt(TD)) << "TD = " << TD;
  }
}

TEST(StepResponse, WellOnTheBankWithoutStreambankIsOne) {
  // XD = 1, XAAD = 0: the head transform is 1/p, whose inversion is Σ V(i)/i.
  const ModelInputs state = confined_state(10, 1.0);
  for (double TD : {0.01, 1.0, 100.0})
    EXPECT_NEAR(step_response(TD, state).RH, 1.0, 16 * DBL_EPSILON * term_magnitude(state)) << TD;
}

struct Configuration {
  int IAQ;
  int IXL;
};

// A case reads as its codes, in test names and in failure messages alike.
std::string configuration_name(const Configuration& c) {
  return "IAQ" + std::to_string(c.IAQ) + "_IXL" + std::to_string(c.IXL);
}
void PrintTo(const Configuration& c, std::ostream* os) { *os << configuration_name(c); }

class EveryConfiguration : public ::testing::TestWithParam<Configuration> {};

// Leakage parameters of a moderate aquitard; a finite aquifer of XLLD half widths.
ModelInputs configured_state(const Configuration& c, int NS, double XD, double XAAD, double XLLD = 5.0) {
  ModelInputs state = confined_state(NS, XD);
  state.deck.IAQ = c.IAQ;
  state.deck.IXL = c.IXL;
  state.derived.XAAD = XAAD;
  state.derived.XLLD = c.IXL == 1 ? XLLD : 0.0;
  if (c.IAQ >= 1) {
    state.derived.GAMMA1 = 0.7;
    state.derived.SIGMA1 = 1.3;
    state.derived.SIGMAP = c.IAQ == 3 ? 2.0 : 0.0;
  }
  return state;
}

TEST_P(EveryConfiguration, HeadMinusLeakanceTimesGradientOnTheBankIsOne) {
  // At XD = 1 the head transform minus XAAD times the seepage transform is 1/p
  // for every leakage term and extent; each term is bounded by |V(i)|/i and
  // carries some twenty roundings (sqrt, exp, tanh, products): 32 eps of Σ|V(i)|/i.
  for (double XAAD : {0.0, 0.5, 3.0}) {
    const ModelInputs state = configured_state(GetParam(), 10, 1.0, XAAD);
    const double tolerance = 32 * DBL_EPSILON * term_magnitude(state);
    for (double TD : {0.05, 1.0, 20.0}) {
      const StepResponse r = step_response(TD, state);
      EXPECT_NEAR(r.RH - XAAD * r.RQ, 1.0, tolerance) << "XAAD = " << XAAD << ", TD = " << TD;
    }
  }
}

TEST_P(EveryConfiguration, FarWellMeetsTheExponentCapNotAnUnderflow) {
  // Every term has q (XD - 1) > 708, so the head is exp(-708) times the
  // inversion of K/P, tiny but non-zero; the seepage does not see the cap. A
  // finite aquifer reaches beyond the well, as the input phase demands.
  const ModelInputs state = configured_state(GetParam(), 10, 1e6, 0.0, 2e6);
  const StepResponse r = step_response(1.0, state);
  EXPECT_TRUE(std::isfinite(r.RH));
  EXPECT_NE(r.RH, 0.0);
  EXPECT_LT(std::fabs(r.RH), 1e-300);
  EXPECT_TRUE(std::isfinite(r.RQ));
  EXPECT_LT(r.RQ, 0.0);
}

INSTANTIATE_TEST_SUITE_P(IaqAndIxl, EveryConfiguration,
                         ::testing::Values(Configuration{0, 0}, Configuration{1, 0}, Configuration{2, 0},
                                           Configuration{3, 0}, Configuration{0, 1}, Configuration{1, 1},
                                           Configuration{2, 1}, Configuration{3, 1}),
                         [](const auto& info) { return configuration_name(info.param); });

TEST(StepResponse, FarWellInConfinedAquiferIsExpOfMinusCap) {
  // IXL = 0, XAAD = 0: K/P = 1/p, so RH = exp(-708) Σ V(i)/i = exp(-708) up to
  // the rounding of that sum (16 eps of Σ|V(i)|/i, relative).
  const ModelInputs state = confined_state(10, 1e6);
  EXPECT_NEAR(step_response(1.0, state).RH / std::exp(-EXPMAX_VALUE), 1.0, 16 * DBL_EPSILON * term_magnitude(state));
}

TEST(StepResponse, FiniteWidthApproachesFullRise) {
  ModelInputs state = confined_state(10, 2.0);
  state.deck.IXL = 1;
  state.derived.XLLD = 5.0;
  // Quoted values for NS = 10, XD = 2, XLLD = 5, to half a unit of their last digit.
  EXPECT_NEAR(step_response(10.0, state).RH, 0.8957, 0.5e-4);
  EXPECT_NEAR(step_response(100.0, state).RH, 0.99993, 0.5e-5);
  // No more water enters once the aquifer is full.
  EXPECT_NEAR(step_response(1000.0, state).RQ, 0.0, 1e-6);
}

TEST(StepResponse, LeakyConstantHeadReachesSteadyProfile) {
  ModelInputs state = confined_state(10, 2.0);
  state.deck.IAQ = 1;
  state.derived.GAMMA1 = 1.0;
  state.derived.SIGMA1 = 1.0;
  state.derived.XAAD = 0.5;
  // Steady semi-infinite profile exp(-GAMMA1 (XD-1)) / (1 + XAAD GAMMA1): as p -> 0
  // f -> GAMMA1². The transient decays like exp(-GAMMA1² TD) and is gone at
  // TD = 10^4; what is left is the ten-term error on an almost constant function.
  const double steady = std::exp(-1.0) / 1.5;
  EXPECT_NEAR(step_response(1e4, state).RH, steady, 1e-8);
  // Still rising toward it earlier on.
  EXPECT_LT(step_response(1.0, state).RH, steady);
}

TEST(StepResponse, NoTermsGiveZero) {
  for (int NS : {0, 1}) {
    const ModelInputs state = confined_state(NS, 2.0);
    const StepResponse r = step_response(1.0, state);
    EXPECT_EQ(r.RH, 0.0) << NS;
    EXPECT_EQ(r.RQ, 0.0) << NS;
  }
}

TEST(StepResponse, UnknownExtentGivesNoHeadButSemiInfiniteSeepage) {
  ModelInputs state = confined_state(10, 2.0);
  const StepResponse semi_infinite = step_response(1.0, state);
  state.deck.IXL = 2;
  const StepResponse unknown = step_response(1.0, state);
  EXPECT_EQ(unknown.RH, 0.0);
  EXPECT_EQ(unknown.RQ, semi_infinite.RQ);
}

}  // namespace
}  // namespace kesta
