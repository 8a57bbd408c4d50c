// Fits of the real model to records made from a known deck.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fit/estimation/estimates.hpp"
#include "fit/estimation/identifiability.hpp"
#include "fit/tests/fit_scenario.hpp"

namespace kesta::fit_detail {
namespace {

using testing::Bounds;
using testing::RecordPlan;

constexpr double kDeck = std::numeric_limits<double>::quiet_NaN();  // initial: the deck's value

// Two wells and a seepage record separate conductivity, storage and bank.
const std::vector<RecordPlan> kTwoWellsAndSeepage = {
    {Kind::Head, 30.0, 2, 0.005}, {Kind::Head, 120.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}};

const testing::ParameterPlan kThreeParameters = {
    {"AK", {kDeck, 0.1, 1000.0}}, {"AS", {kDeck, 1e-7, 1e-1}}, {"XAA", {kDeck, 0.1, 1000.0}}};

// The start deck: every estimated value off by a factor of three or so.
Deck start_deck() {
  Deck d = testing::flood_deck();
  d.AK = 3.0;
  d.AS = 4e-4;
  d.XAA = 100.0;
  return d;
}

double truth_of(const Deck& truth, const std::string& name) { return truth.*(find_parameter(name)->field); }

TEST(DeckFit, RecoversParametersFromNoiseFreeRecords) {
  const Deck truth = testing::flood_deck();
  std::vector<RecordPlan> plans = kTwoWellsAndSeepage;
  for (RecordPlan& p : plans) p.noise = 0.0;
  const FitCase c =
      testing::memory_case(start_deck(), testing::records(truth, plans, 1, InversionMethod::Contour), kThreeParameters);
  const LeastSquaresFit fit = testing::run_case(c);
  ASSERT_TRUE(fit.converged) << fit.stop_reason;
  for (std::size_t i = 0; i < c.parameters.size(); ++i) {
    const double expected = truth_of(truth, c.parameters[i].free.name);
    EXPECT_NEAR(fit.estimate[i], expected, 1e-6 * expected) << c.parameters[i].free.name;
  }
}

// A leaky aquifer's conductivity and aquitard properties, and the initial head.
TEST(DeckFit, RecoversAquitardAndInitialHeadFromNoiseFreeRecords) {
  Deck truth = testing::flood_deck();
  truth.IAQ = 1;
  truth.AKT = 0.01;
  truth.AST = 1e-3;
  truth.ABT = 2.0;
  truth.HINIT = 12.0;
  Deck start = truth;
  start.AKT = 0.05;
  start.HINIT = 11.0;
  start.AK = 20.0;
  const testing::ParameterPlan plan = {
      {"AK", {kDeck, 0.1, 1000.0}}, {"AKT", {kDeck, 1e-5, 10.0}}, {"HINIT", {kDeck, 0.0, 20.0}}};
  const FitCase c = testing::memory_case(
      start,
      testing::records(truth, {{Kind::Head, 30.0, 1, 0.0}, {Kind::Head, 150.0, 1, 0.0}}, 1, InversionMethod::Contour),
      plan);
  const LeastSquaresFit fit = testing::run_case(c);
  ASSERT_TRUE(fit.converged) << fit.stop_reason;
  for (std::size_t i = 0; i < c.parameters.size(); ++i) {
    const double expected = truth_of(truth, c.parameters[i].free.name);
    EXPECT_NEAR(fit.estimate[i], expected, 1e-6 * std::abs(expected)) << c.parameters[i].free.name;
  }
}

// Noisy records: every estimate within three standard errors of the truth,
// and the interval of each parameter holds the truth in about 95 % of 40 fits.
TEST(DeckFit, IntervalsCoverTheTruthOverNoisyRecords) {
  const Deck truth = testing::flood_deck();
  constexpr int kFits = 40;
  std::vector<int> covered(3, 0);
  for (unsigned seed = 1; seed <= kFits; ++seed) {
    const FitCase c =
        testing::memory_case(start_deck(), testing::records(truth, kTwoWellsAndSeepage, seed), kThreeParameters);
    const LeastSquaresFit fit = testing::run_case(c);
    const std::vector<Estimate> table = parameter_estimates(c.free_parameters(), fit);
    for (std::size_t i = 0; i < table.size(); ++i) {
      const double expected = truth_of(truth, table[i].name);
      ASSERT_TRUE(table[i].std_error) << table[i].name;
      EXPECT_LT(std::abs(table[i].value - expected), 3.0 * *table[i].std_error) << table[i].name << " seed " << seed;
      if (table[i].ci95->first <= expected && expected <= table[i].ci95->second) ++covered[i];
    }
  }
  // Binomial(40, 0.95): 34 or more in 98 % of draws; intervals half as wide
  // as they should be would cover about 27.
  for (std::size_t i = 0; i < covered.size(); ++i) EXPECT_GE(covered[i], 34) << "parameter " << i;
}

// Heads alone in a confined aquifer without a streambank depend on AK and AS
// only through the diffusivity AK/AS, however noisy the inversion's rounding
// (it grows with NS).
TEST(DeckFit, HeadsAloneDetermineOnlyTheDiffusivity) {
  for (const int ns : {10, 16, 18}) {
    SCOPED_TRACE("NS " + std::to_string(ns));
    Deck truth = testing::flood_deck();
    truth.IXA = 0;
    truth.XAA = 0.0;
    truth.NS = ns;
    Deck start = truth;
    start.AK = 4.0;
    start.AS = 2e-4;
    const FitCase c = testing::memory_case(
        start, testing::records(truth, {{Kind::Head, 30.0, 2, 0.005}, {Kind::Head, 120.0, 2, 0.005}}, 3),
        {{"AK", {kDeck, 0.1, 1000.0}}, {"AS", {kDeck, 1e-7, 1e-1}}});
    const LeastSquaresFit fit = testing::run_case(c);
    const std::vector<Finding> findings = identifiability_findings(c.free_parameters(), fit, "A seepage record");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, Finding::Kind::NotSeparable);
    ASSERT_EQ(findings[0].determined.size(), 1u);
    const Combination& ratio = findings[0].determined[0];
    EXPECT_EQ(ratio.expression, "AK/AS");
    ASSERT_TRUE(ratio.std_error);
    EXPECT_LT(std::abs(ratio.value - truth.AK / truth.AS), 3.0 * *ratio.std_error);
    EXPECT_NE(findings[0].text.find("only that is determined"), std::string::npos);
    EXPECT_NE(findings[0].text.find("A seepage record"), std::string::npos);
    for (const Estimate& e : parameter_estimates(c.free_parameters(), fit)) EXPECT_FALSE(e.std_error) << e.name;
  }
}

}  // namespace
}  // namespace kesta::fit_detail
