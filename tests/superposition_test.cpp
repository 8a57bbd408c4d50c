#include "model/superposition.hpp"

#include <cfloat>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "direct_superposition.hpp"

#include "model/lag_sums.hpp"
#include "model/step_response.hpp"
#include "model_fixture.hpp"

namespace kesta {
namespace {

using testing::fill_worked_example;
using testing::prepare_model;
using testing::FieldDeck;
using testing::fill_deck;
using testing::Noise;


}  // namespace

namespace testing {
// A deck reads as its codes and size, in test names and in failure messages alike.
std::string deck_name(const FieldDeck& d) {
  return "IAQ" + std::to_string(d.IAQ) + "_IXL" + std::to_string(d.IXL) + "_IXA" + std::to_string(d.IXA) +
         "_ISTRESS" + std::to_string(d.ISTRESS) + "_NT" + std::to_string(d.NT) + "_NS" + std::to_string(d.NS);
}
// Found by argument-dependent lookup, so it must live in FieldDeck's namespace.
void PrintTo(const FieldDeck& d, std::ostream* os) { *os << deck_name(d); }
}  // namespace testing

namespace {

using testing::deck_name;

void expect_same_bits(const Series& a, const Series& b, int NT, const char* name) {
  for (int k = 1; k <= NT; ++k)
    if (std::memcmp(&a[k], &b[k], sizeof(double)) != 0) {
      ADD_FAILURE() << name << "(" << k << "): " << a[k] << " vs direct " << b[k];
      return;
    }
}

class AgainstDirectLoop : public ::testing::TestWithParam<FieldDeck> {};

TEST_P(AgainstDirectLoop, ResultSeriesAreBitForBitThoseOfTheDoubleLoop) {
  ModelState fast, direct;
  fill_deck(fast, GetParam());
  fill_deck(direct, GetParam());
  superpose(fast, prepare_model(fast));
  superpose_directly(direct, prepare_model(direct));
  const int NT = GetParam().NT;
  expect_same_bits(fast.HEAD, direct.HEAD, NT, "HEAD");
  expect_same_bits(fast.SEEP, direct.SEEP, NT, "SEEP");
  expect_same_bits(fast.SEEPT, direct.SEEPT, NT, "SEEPT");
  expect_same_bits(fast.BANK, direct.BANK, NT, "BANK");
  expect_same_bits(fast.BANKV, direct.BANKV, NT, "BANKV");
}

std::vector<FieldDeck> every_configuration() {
  std::vector<FieldDeck> decks;
  for (int IAQ = 0; IAQ <= 3; ++IAQ)
    for (int IXL = 0; IXL <= 1; ++IXL)
      for (int IXA = 0; IXA <= 1; ++IXA)
        for (int ISTRESS = 0; ISTRESS <= 2; ++ISTRESS) decks.push_back({IAQ, IXL, IXA, ISTRESS, 150, 10});
  return decks;
}

INSTANTIATE_TEST_SUITE_P(EveryConfiguration, AgainstDirectLoop, ::testing::ValuesIn(every_configuration()),
                         [](const auto& info) { return deck_name(info.param); });

// Long enough for the lag blocks to share both cores, with leftover steps of
// every size below a block.
INSTANTIATE_TEST_SUITE_P(LongDecks, AgainstDirectLoop,
                         ::testing::Values(FieldDeck{3, 1, 1, 2, 3001, 8}, FieldDeck{1, 0, 1, 0, 2049, 6},
                                           FieldDeck{2, 1, 0, 1, 2080, 6}, FieldDeck{0, 0, 0, 0, 2111, 4},
                                           FieldDeck{0, 1, 1, 2, 33, 12}, FieldDeck{3, 0, 0, 0, 17, 20},
                                           FieldDeck{0, 0, 0, 0, 2, 10}),
                         [](const auto& info) { return deck_name(info.param); });

TEST(LagSums, EveryPathAndSizeMatchesThePlainLoop) {
  const int largest = 4099;
  Series rate(largest + 1), response(largest + 1), out(largest + 1), plain(largest + 1);
  Noise noise{7};
  for (int k = 1; k <= largest; ++k) {
    rate[k] = noise.next();
    response[k] = noise.next() * 1e3;
  }
  for (int n = 1; n <= largest; n = n < 70 ? n + 1 : 2 * n + 1) {
    for (int i = 1; i <= n; ++i) {
      double sum = 0.0;
      for (int j = 1; j <= i; ++j) sum = sum + rate[i - j + 1] * response[j];
      plain[i] = sum;
    }
    for (VectorPath path : {VectorPath::Best, VectorPath::Baseline}) {
      std::fill(out.begin(), out.end(), -1.0);
      lag_sums(rate, response, n, out, path);
      for (int i = 1; i <= n; ++i)
        ASSERT_EQ(std::memcmp(&out[i], &plain[i], sizeof(double)), 0)
            << "n = " << n << ", i = " << i << ", baseline = " << (path == VectorPath::Baseline);
      EXPECT_EQ(out[n + 1 <= largest ? n + 1 : 0], -1.0) << "wrote past step n = " << n;
    }
  }
}

TEST(Superposition, WorkedExampleToSixDigits) {
  ModelState state;
  fill_worked_example(state);
  superpose(state, prepare_model(state));
  // Worked example of the unit stage rise, six significant digits: half a unit
  // of the sixth digit relative.
  const double expected[4][5] = {{0, 0, 0, 0, 0},
                                 {0.479496, -0.564190, -1.12838, 0.564190, 1.12838},
                                 {0.617091, -0.398943, -0.797886, 0.963133, 1.92627},
                                 {0.683102, -0.325735, -0.651471, 1.28887, 2.57774}};
  const Series* series[5] = {&state.HEAD, &state.SEEP, &state.SEEPT, &state.BANK, &state.BANKV};
  for (int k = 1; k <= 4; ++k)
    for (int s = 0; s < 5; ++s)
      EXPECT_NEAR((*series[s])[k], expected[k - 1][s], 5e-6 * std::fabs(expected[k - 1][s])) << k << " " << s;
}

TEST(Superposition, UnitRiseGivesTheStepResponseOneStepBehind) {
  ModelState state;
  fill_worked_example(state);
  state.DELT = 0.5;
  state.HINIT = 3.0;
  const TimeScales scales = prepare_model(state);
  superpose(state, scales);
  for (int k = 2; k <= 4; ++k) {
    // Rate 2 over a half step: only the first change acts, at lag k - 1.
    const double TD = (k - 1) * 0.5;
    EXPECT_DOUBLE_EQ(state.HEAD[k] - 3.0, step_response(TD, state).RH) << k;
  }
}

TEST(Superposition, OneStepOrNoneLeavesTheInitialState) {
  ModelState state;
  fill_worked_example(state);
  state.NT = 1;
  state.HINIT = 7.0;
  state.SEEP[1] = state.HEAD[2] = 99.0;
  superpose(state, prepare_model(state));
  EXPECT_EQ(state.HEAD[1], 7.0);
  EXPECT_EQ(state.SEEP[1], 0.0);
  EXPECT_EQ(state.HEAD[2], 99.0);  // beyond NT: untouched

  state.NT = 0;
  state.HEAD[1] = 42.0;
  superpose(state, prepare_model(state));
  EXPECT_EQ(state.HEAD[1], 42.0);
}

TEST(Superposition, SteadyStressChangesNothing) {
  ModelState state;
  fill_deck(state, {3, 1, 1, 2, 40, 10});
  for (int k = 1; k <= 40; ++k) {
    state.STAGE[k] = 5.0;
    state.RECH[k] = 0.25;
  }
  superpose(state, prepare_model(state));
  for (int k = 1; k <= 40; ++k) {
    EXPECT_EQ(state.HEAD[k], state.HINIT);
    EXPECT_EQ(state.SEEP[k], 0.0);
    EXPECT_EQ(state.BANKV[k], 0.0);
  }
}

TEST(Superposition, LastChangeEntersOnlyTheLastStep) {
  ModelState state;
  fill_worked_example(state);
  state.STAGE[2] = state.STAGE[3] = 0.0;  // stage 0, 0, 0, 1
  superpose(state, prepare_model(state));
  EXPECT_EQ(state.HEAD[3], 0.0);
  EXPECT_EQ(state.SEEP[3], 0.0);
  EXPECT_NE(state.HEAD[4], 0.0);
  EXPECT_LT(state.SEEP[4], 0.0);
}

TEST(Superposition, RechargeMirrorsStageUnderWaterTableAquitard) {
  ModelState stage, recharge;
  fill_deck(stage, {3, 0, 1, 0, 60, 10});
  fill_deck(recharge, {3, 0, 1, 1, 60, 10});
  for (int k = 1; k <= 60; ++k) recharge.RECH[k] = stage.STAGE[k];
  superpose(stage, prepare_model(stage));
  superpose(recharge, prepare_model(recharge));
  // Negation is exact, so the mirror holds to the bit.
  for (int k = 1; k <= 60; ++k) {
    EXPECT_EQ(recharge.HEAD[k], stage.HEAD[k]) << k;
    EXPECT_EQ(recharge.SEEP[k], -stage.SEEP[k]) << k;
    EXPECT_EQ(recharge.SEEPT[k], -stage.SEEPT[k]) << k;
    EXPECT_EQ(recharge.BANK[k], -stage.BANK[k]) << k;
    EXPECT_EQ(recharge.BANKV[k], -stage.BANKV[k]) << k;
  }
}

TEST(Superposition, BothStressesAddTheSingleResponses) {
  const int NT = 80;
  ModelState both, stage, recharge;
  fill_deck(both, {2, 1, 0, 2, NT, 10});
  fill_deck(stage, {2, 1, 0, 0, NT, 10});
  fill_deck(recharge, {2, 1, 0, 1, NT, 10});
  for (int k = 1; k <= NT; ++k) {
    stage.STAGE[k] = both.STAGE[k];
    recharge.RECH[k] = both.RECH[k];
  }
  superpose(both, prepare_model(both));
  superpose(stage, prepare_model(stage));
  superpose(recharge, prepare_model(recharge));
  // Linear in the stress, up to rounding from two sources: STAGE ± RECH is
  // rounded (half an eps of the stress, twice per rate), and each sum of at most
  // NT products may lose NT eps of the sum of their magnitudes. Both scale with
  // Σ |response(j)| times a rate or stress size, bounded here lag by lag.
  const TimeScales scales = prepare_model(both);
  double stress_size = 0.0, rate_size = 0.0;
  for (int k = 1; k <= NT; ++k) stress_size = std::max(stress_size, std::fabs(both.STAGE[k]) + std::fabs(both.RECH[k]));
  for (int k = 1; k < NT; ++k)
    rate_size = std::max({rate_size, std::fabs(both.HRATE[k]), std::fabs(both.QRATE[k]),
                          std::fabs(stage.HRATE[k]) + std::fabs(recharge.HRATE[k]),
                          std::fabs(stage.QRATE[k]) + std::fabs(recharge.QRATE[k])});
  const double per_lag_rate_error = rate_size * (NT + 4) * DBL_EPSILON + 2 * DBL_EPSILON * stress_size / both.DELT;
  double head_bound = 0.0, seep_bound = 0.0;
  for (int k = 2; k <= NT; ++k) {
    const double TD = (both.AK * ((k - 1) * both.DELT)) / (both.AS * scales.XZERO2);
    const StepResponse r = step_response(TD, both);
    head_bound += both.DELT * per_lag_rate_error * std::fabs(r.RH);
    seep_bound += both.DELT * (both.AK / scales.XZEROD) * per_lag_rate_error * std::fabs(r.RQ);
    const double head_a = stage.HEAD[k] - stage.HINIT, head_b = recharge.HEAD[k] - recharge.HINIT;
    // HEAD carries HINIT, whose last bit the differences above can also move.
    EXPECT_NEAR(both.HEAD[k] - both.HINIT, head_a + head_b, head_bound + 4 * DBL_EPSILON * both.HINIT) << k;
    EXPECT_NEAR(both.SEEP[k], stage.SEEP[k] + recharge.SEEP[k], seep_bound) << k;
  }
}

}  // namespace
}  // namespace kesta
