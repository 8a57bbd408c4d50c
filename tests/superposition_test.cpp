#include "model/superposition.hpp"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "direct_superposition.hpp"

#include "model/lag_sums.hpp"
#include "model_fixture.hpp"
#include "step_response.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

using testing::FieldDeck;
using testing::fill_deck;
using testing::fill_worked_example;
using testing::ModelRun;
using testing::Noise;
using testing::prepare_model;
using testing::run_model;
using Series = std::vector<double>;

}  // namespace

namespace testing {
// A deck reads as its codes and size, in test names and in failure messages alike.
std::string deck_name(const FieldDeck& d) {
  return "IAQ" + std::to_string(d.IAQ) + "_IXL" + std::to_string(d.IXL) + "_IXA" + std::to_string(d.IXA) + "_ISTRESS" +
         std::to_string(d.ISTRESS) + "_NT" + std::to_string(d.NT) + "_NS" + std::to_string(d.NS);
}
// Found by argument-dependent lookup, so it must live in FieldDeck's namespace.
void PrintTo(const FieldDeck& d, std::ostream* os) { *os << deck_name(d); }
}  // namespace testing

namespace {

using testing::deck_name;

void expect_same_bits(const Series& a, const Series& b, const char* name) {
  ASSERT_EQ(a.size(), b.size()) << name;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (std::memcmp(&a[k], &b[k], sizeof(double)) != 0) {
      ADD_FAILURE() << name << "(" << k + 1 << "): " << a[k] << " vs direct " << b[k];
      return;
    }
}

class AgainstDirectLoop : public ::testing::TestWithParam<FieldDeck> {};

TEST_P(AgainstDirectLoop, ResultSeriesAreBitForBitThoseOfTheDoubleLoop) {
  Deck deck;
  fill_deck(deck, GetParam());
  const ModelRun fast = run_model(deck);
  const Results direct = superpose_directly(fast.deck, fast.derived, fast.inversion);
  expect_same_bits(fast.results.time, direct.time, "TIME");
  expect_same_bits(fast.results.head, direct.head, "HEAD");
  expect_same_bits(fast.results.seepage, direct.seepage, "SEEP");
  expect_same_bits(fast.results.total_seepage, direct.total_seepage, "SEEPT");
  expect_same_bits(fast.results.bank_storage, direct.bank_storage, "BANK");
  expect_same_bits(fast.results.bank_volume, direct.bank_volume, "BANKV");
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

// Long enough for the lag blocks to share the cores, with leftover steps of
// every size below a block.
INSTANTIATE_TEST_SUITE_P(LongDecks, AgainstDirectLoop,
                         ::testing::Values(FieldDeck{3, 1, 1, 2, 3001, 8}, FieldDeck{1, 0, 1, 0, 2049, 6},
                                           FieldDeck{2, 1, 0, 1, 2080, 6}, FieldDeck{0, 0, 0, 0, 2111, 4},
                                           FieldDeck{0, 1, 1, 2, 33, 12}, FieldDeck{3, 0, 0, 0, 17, 20},
                                           FieldDeck{0, 0, 0, 0, 2, 10}),
                         [](const auto& info) { return deck_name(info.param); });

// The head, seepage and bank-storage volume of a deck computed in a child
// process with OMP_NUM_THREADS set: a process reads its thread count once.
std::vector<double> series_with_threads(const Deck& deck, const char* threads) {
  int ends[2];
  if (::pipe(ends) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    setenv("OMP_NUM_THREADS", threads, 1);
    const Results r = run_model(deck).results;
    for (const std::vector<double>* series : {&r.head, &r.seepage, &r.bank_volume}) {
      const auto bytes = static_cast<ssize_t>(series->size() * sizeof(double));
      if (::write(ends[1], series->data(), series->size() * sizeof(double)) != bytes) ::_exit(1);
    }
    ::_exit(0);
  }
  ::close(ends[1]);
  std::vector<double> out;
  double value = 0.0;
  while (::read(ends[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) out.push_back(value);
  ::close(ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << threads;
  return out;
}

// However many threads share the lags and the blocks, every bit is the same.
TEST(Superposition, ThreadCountDoesNotChangeTheBits) {
  Deck deck;
  fill_deck(deck, {3, 1, 1, 2, 3001, 8});
  const std::vector<double> alone = series_with_threads(deck, "1");
  ASSERT_EQ(alone.size(), 3u * 3001);
  for (const char* threads : {"2", "3", "7"}) expect_same_bits(series_with_threads(deck, threads), alone, threads);
}

// The count a loop may use: the cores, unless OMP_NUM_THREADS names a count.
TEST(ThreadContext, CoresOrTheCountAsked) {
  const struct {
    int cores;
    const char* asked;
    int threads;
  } cases[] = {{8, nullptr, 8}, {8, "3", 3},     {2, "7", 7},        {8, "0", 8}, {8, "-2", 8},
               {8, "two", 8},   {0, nullptr, 1}, {4, "100000", 256}, {1, "1", 1}};
  for (const auto& c : cases)
    EXPECT_EQ(thread_count(c.cores, c.asked), c.threads) << c.cores << " " << (c.asked ? c.asked : "unset");
  EXPECT_EQ(ThreadContext(0).workers(), 1);
}

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
    for (VectorPath path : {VectorPath::Best, VectorPath::Avx512, VectorPath::Avx2, VectorPath::Baseline}) {
      std::fill(out.begin(), out.end(), -1.0);
      lag_sums(rate, response, n, out, path);
      for (int i = 1; i <= n; ++i)
        ASSERT_EQ(std::memcmp(&out[i], &plain[i], sizeof(double)), 0)
            << "n = " << n << ", i = " << i << ", path " << static_cast<int>(path);
      EXPECT_EQ(out[n + 1 <= largest ? n + 1 : 0], -1.0) << "wrote past step n = " << n;
    }
  }
}

TEST(Superposition, WorkedExampleToSixDigits) {
  Deck deck;
  fill_worked_example(deck);
  const Results r = run_model(deck).results;
  // Worked example of the unit stage rise, six significant digits: half a unit
  // of the sixth digit relative.
  const double expected[4][5] = {{0, 0, 0, 0, 0},
                                 {0.479496, -0.564190, -1.12838, 0.564190, 1.12838},
                                 {0.617091, -0.398943, -0.797886, 0.963133, 1.92627},
                                 {0.683102, -0.325735, -0.651471, 1.28887, 2.57774}};
  const Series* series[5] = {&r.head, &r.seepage, &r.total_seepage, &r.bank_storage, &r.bank_volume};
  for (int k = 0; k < 4; ++k)
    for (int s = 0; s < 5; ++s)
      EXPECT_NEAR((*series[s])[k], expected[k][s], 5e-6 * std::fabs(expected[k][s])) << k << " " << s;
}

TEST(Superposition, UnitRiseGivesTheStepResponseOneStepBehind) {
  Deck deck;
  fill_worked_example(deck);
  deck.DELT = 0.5;
  deck.HINIT = 3.0;
  const ModelRun run = run_model(deck);
  for (int k = 2; k <= 4; ++k) {
    // Rate 2 over a half step: only the first change acts, at lag k - 1.
    const double TD = (k - 1) * 0.5;
    EXPECT_DOUBLE_EQ(run.results.head[k - 1] - 3.0, step_response(TD, run.deck, run.derived, run.inversion).RH) << k;
  }
}

TEST(Superposition, OneStepOrNoneLeavesTheInitialState) {
  Deck deck;
  fill_worked_example(deck);
  deck.NT = 1;  // the series hold more entries than NT: only NT are used
  deck.HINIT = 7.0;
  const Results one = run_model(deck).results;
  ASSERT_EQ(one.head.size(), 1u);
  EXPECT_EQ(one.head[0], 7.0);
  EXPECT_EQ(one.seepage[0], 0.0);
  EXPECT_EQ(one.bank_volume[0], 0.0);

  deck.NT = 0;
  EXPECT_TRUE(run_model(deck).results.head.empty());
}

TEST(Superposition, SteadyStressChangesNothing) {
  Deck deck;
  fill_deck(deck, {3, 1, 1, 2, 40, 10});
  deck.STAGE.assign(40, 5.0);
  deck.RECH.assign(40, 0.25);
  const Results r = run_model(deck).results;
  for (std::size_t k = 0; k < 40; ++k) {
    EXPECT_EQ(r.head[k], deck.HINIT);
    EXPECT_EQ(r.seepage[k], 0.0);
    EXPECT_EQ(r.bank_volume[k], 0.0);
  }
}

TEST(Superposition, LastChangeEntersOnlyTheLastStep) {
  Deck deck;
  fill_worked_example(deck);
  deck.STAGE[1] = deck.STAGE[2] = 0.0;  // stage 0, 0, 0, 1
  const Results r = run_model(deck).results;
  EXPECT_EQ(r.head[2], 0.0);
  EXPECT_EQ(r.seepage[2], 0.0);
  EXPECT_NE(r.head[3], 0.0);
  EXPECT_LT(r.seepage[3], 0.0);
}

TEST(Superposition, RechargeMirrorsStageUnderWaterTableAquitard) {
  Deck stage_deck, recharge_deck;
  fill_deck(stage_deck, {3, 0, 1, 0, 60, 10});
  fill_deck(recharge_deck, {3, 0, 1, 1, 60, 10});
  recharge_deck.RECH = stage_deck.STAGE;
  const Results stage = run_model(stage_deck).results;
  const Results recharge = run_model(recharge_deck).results;
  // Negation is exact, so the mirror holds to the bit.
  for (std::size_t k = 0; k < 60; ++k) {
    EXPECT_EQ(recharge.head[k], stage.head[k]) << k;
    EXPECT_EQ(recharge.seepage[k], -stage.seepage[k]) << k;
    EXPECT_EQ(recharge.total_seepage[k], -stage.total_seepage[k]) << k;
    EXPECT_EQ(recharge.bank_storage[k], -stage.bank_storage[k]) << k;
    EXPECT_EQ(recharge.bank_volume[k], -stage.bank_volume[k]) << k;
  }
}

TEST(Superposition, BothStressesAddTheSingleResponses) {
  const std::size_t NT = 80;
  Deck both_deck, stage_deck, recharge_deck;
  fill_deck(both_deck, {2, 1, 0, 2, static_cast<int>(NT), 10});
  fill_deck(stage_deck, {2, 1, 0, 0, static_cast<int>(NT), 10});
  fill_deck(recharge_deck, {2, 1, 0, 1, static_cast<int>(NT), 10});
  stage_deck.STAGE = both_deck.STAGE;
  recharge_deck.RECH = both_deck.RECH;
  const ModelRun both_run = run_model(both_deck);
  const Deck& both = both_run.deck;
  const Results& B = both_run.results;
  const Results S = run_model(stage_deck).results;
  const Results R = run_model(recharge_deck).results;
  // Linear in the stress, up to rounding from two sources: STAGE ± RECH is
  // rounded (half an eps of the stress, twice per rate), and each sum of at most
  // NT products may lose NT eps of the sum of their magnitudes. Both scale with
  // Σ |response(j)| times a rate or stress size, bounded here lag by lag.
  // The rates of change per unit time: stage + recharge drives the head, stage -
  // recharge the seepage.
  double stress_size = 0.0, rate_size = 0.0;
  for (std::size_t k = 0; k < NT; ++k)
    stress_size = std::max(stress_size, std::fabs(both.STAGE[k]) + std::fabs(both.RECH[k]));
  for (std::size_t k = 1; k < NT; ++k) {
    const double stage_rate = std::fabs(both.STAGE[k] - both.STAGE[k - 1]) / both.DELT;
    const double rech_rate = std::fabs(both.RECH[k] - both.RECH[k - 1]) / both.DELT;
    rate_size = std::max(rate_size, stage_rate + rech_rate);
  }
  const double per_lag_rate_error = rate_size * (NT + 4) * DBL_EPSILON + 2 * DBL_EPSILON * stress_size / both.DELT;
  double head_bound = 0.0, seep_bound = 0.0;
  const double XZERO2 = both.XZERO * both.XZERO;
  for (std::size_t k = 1; k < NT; ++k) {
    const double TD = (both.AK * (static_cast<double>(k) * both.DELT)) / (both.AS * XZERO2);
    const StepResponse r = step_response(TD, both, both_run.derived, both_run.inversion);
    head_bound += both.DELT * per_lag_rate_error * std::fabs(r.RH);
    seep_bound += both.DELT * (both.AK / both_run.derived.XZEROD) * per_lag_rate_error * std::fabs(r.RQ);
    const double head_a = S.head[k] - stage_deck.HINIT, head_b = R.head[k] - recharge_deck.HINIT;
    // HEAD carries HINIT, whose last bit the differences above can also move.
    EXPECT_NEAR(B.head[k] - both.HINIT, head_a + head_b, head_bound + 4 * DBL_EPSILON * both.HINIT) << k;
    EXPECT_NEAR(B.seepage[k], S.seepage[k] + R.seepage[k], seep_bound) << k;
  }
}

}  // namespace
}  // namespace kesta
