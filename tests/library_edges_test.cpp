// The library on the edges: decks written and read back value for value, the
// most time steps, short series, time steps the inversion cannot take, and
// values no deck file can hold.
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "golden_data.hpp"
#include "kesta/kesta.hpp"

namespace kesta {
namespace {

Deck flood_wave() { return read_deck(testing::example_deck_path("flood-wave-confined")); }

// Every real value of the fixed lines, as a deck read back must hold them.
std::vector<double> fixed_values(const Deck& d) {
  return {d.DELT, d.XZERO, d.XLL, d.XAA,  d.XSTREAM, d.AK,    d.AS,   d.AB,
          d.AKT,  d.AST,   d.ABT, d.ASYT, d.X,       d.HINIT, d.TINIT};
}

TEST(LibraryEdges, WrittenDecksReadBackValueForValue) {
  const std::pair<std::string, std::function<void(Deck&)>> cases[] = {
      {"a time step of one minute in days", [](Deck& d) { d.DELT = 1.0 / 1440.0; }},
      // 0.1 + 0.2 needs 17 digits: four of them fill exactly 80 columns.
      {"a line of exactly 80 columns", [](Deck& d) { d.XZERO = d.XAA = d.XSTREAM = 0.1 + 0.2, d.XLL = -(0.1 + 0.2); }},
  };
  for (const auto& [what, change] : cases) {
    Deck deck = flood_wave();
    change(deck);
    EXPECT_EQ(fixed_values(parse_deck(write_deck(deck))), fixed_values(deck)) << what;
  }
}

TEST(LibraryEdges, TitlesHoldTheirFirstSeventyCharacters) {
  std::string text = write_deck(flood_wave());
  const std::string title(70, 'T');
  text.replace(0, text.find('\n'), title + "CUT AT 70");
  EXPECT_EQ(parse_deck(text).TITLE1, title);
}

TEST(LibraryEdges, TheMostTimeStepsPassTheChecks) {
  Deck deck = flood_wave();
  deck.NT = 99999;
  for (auto* series : {&deck.TIME, &deck.STAGE, &deck.RECH}) series->resize(99999, 0.0);
  EXPECT_FALSE(first_problem(deck)) << *first_problem(deck);
}

// Each inversion's step limit, in first_problem and simulate alike. A deck of
// ten million steps is given short series: that the series are what it
// refuses shows the count itself was taken.
TEST(LibraryEdges, EachInversionTakesUpToItsLimit) {
  const std::string stehfest_limit = "NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED.";
  const std::string remedy = " The contour inversion accepts up to 10000000 time steps.";
  const std::string short_series = "TIME, STAGE AND RECH HOLD FEWER THAN NT VALUES. PROGRAM STOPPED.";
  const struct {
    InversionMethod inversion;
    int NT;
    bool whole_series;
    std::string message;  // empty: taken
  } cases[] = {
      {InversionMethod::Stehfest, 99999, true, ""},
      {InversionMethod::Stehfest, 100000, true, stehfest_limit + remedy},
      {InversionMethod::Stehfest, 10000000, false, stehfest_limit + remedy},
      {InversionMethod::Stehfest, 10000001, false, stehfest_limit},
      {InversionMethod::Contour, 100000, true, ""},
      {InversionMethod::Contour, 10000000, false, short_series},
      {InversionMethod::Contour, 10000001, false,
       "NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 10000000. PROGRAM STOPPED."},
  };
  for (const auto& c : cases) {
    const std::string what = std::to_string(c.NT) + (c.inversion == InversionMethod::Contour ? " contour" : "");
    Deck deck = flood_wave();
    deck.NT = c.NT;
    if (c.whole_series)
      for (auto* series : {&deck.TIME, &deck.STAGE, &deck.RECH}) series->resize(static_cast<std::size_t>(c.NT), 0.0);
    const SimulateOptions options{c.inversion};
    EXPECT_EQ(first_problem(deck, options).value_or(""), c.message) << what;
    if (c.message.empty()) continue;  // a whole run of 100000 steps is the program tests' to time
    try {
      simulate(deck, options);
      ADD_FAILURE() << what << ": simulated";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), c.message) << what;
    }
  }
}

// The library's reader takes every deck either inversion runs.
TEST(LibraryEdges, ContourRunOfALongRecordFromDeckText) {
  Deck deck = flood_wave();
  deck.NT = 100001;
  for (auto* series : {&deck.TIME, &deck.STAGE, &deck.RECH}) series->resize(100001, 0.0);
  const Deck again = parse_deck(write_deck(deck));
  ASSERT_EQ(again.NT, 100001);
  EXPECT_EQ(again.STAGE, deck.STAGE);
  const Results results = simulate(again, SimulateOptions{InversionMethod::Contour});
  ASSERT_EQ(results.head.size(), 100001u);
  // TINIT + 100000·DELT, as the program's time column computes it.
  EXPECT_EQ(results.time.back(), 100000.0 * deck.DELT + deck.TINIT);
}

const std::string kTimeStep =
    "DIMENSIONLESS TIME STEP (AK*DELT/(AS*XZERO**2)) IS NOT A FINITE NUMBER. CHECK AK, AS, XZERO AND DELT. "
    "PROGRAM STOPPED.";

TEST(LibraryEdges, SimulateOnTheEdges) {
  const struct {
    std::string what;
    std::function<void(Deck&)> change;
    std::string message;  // empty: the deck simulates
  } cases[] = {
      {"a recharge series shorter than NT", [](Deck& d) { d.RECH.resize(10); },
       "TIME, STAGE AND RECH HOLD FEWER THAN NT VALUES. PROGRAM STOPPED."},
      // AK*DELT/(AS*XZERO**2) = 3 * 2.6e305 / (5e-5 * 156.25) ~ 1e308: twice that overflows.
      {"a longest lag of two steps that overflows", [](Deck& d) { d.DELT = 2.6e305, d.NT = 3; }, kTimeStep},
      // A leakage that overflows makes the seepage infinite; the head at a well on
      // the bank meets the exponent cap and stays finite.
      {"an overflowing leakage at a well on the bank",
       [](Deck& d) {
         d.IAQ = 1, d.IXA = 1, d.XAA = d.XZERO = d.X = d.AK = d.AS = d.AB = d.ABT = 1.0;
         d.AKT = d.AST = 1e300, d.DELT = 1e-17, d.NT = 2;
       },
       "SEEPAGE AT TIME STEP 2 IS NOT A FINITE NUMBER. CHECK THE STAGE AND RECHARGE DATA, AK, AB AND XZERO. "
       "PROGRAM STOPPED."},
      // One time step has no lag at all: nothing is inverted, however short the step.
      {"one step of 1e-320", [](Deck& d) { d.DELT = 1e-320, d.NT = 1; }, ""},
  };
  for (const auto& c : cases) {
    Deck deck = flood_wave();
    c.change(deck);
    try {
      const Results r = simulate(deck);
      EXPECT_EQ(c.message, "") << c.what;
      EXPECT_EQ(r.head.size(), static_cast<std::size_t>(deck.NT)) << c.what;
      if (deck.NT == 1) {  // no lag, so nothing inverted and no error in the one value
        const InversionError error = inversion_error(deck);
        EXPECT_EQ(error.head, std::vector<double>{0.0});
        EXPECT_EQ(error.seepage, std::vector<double>{0.0});
      }
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), c.message) << c.what;
    }
  }
}

// What simulate refuses before it computes, first_problem gives in the same
// words; values the deck's codes switch off are not the model's to refuse.
TEST(LibraryEdges, FirstProblemNamesWhatSimulateRefuses) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const auto not_finite = [](const std::string& what) { return what + " IS NOT A FINITE NUMBER. PROGRAM STOPPED."; };
  const struct {
    std::string what;
    std::function<void(Deck&)> change;
    std::string message;  // empty: the deck simulates
  } cases[] = {
      {"AK nan", [&](Deck& d) { d.AK = nan; }, not_finite("AK")},
      {"AK inf", [&](Deck& d) { d.AK = inf; }, not_finite("AK")},
      {"HINIT nan", [&](Deck& d) { d.HINIT = nan; }, not_finite("HINIT")},
      {"HINIT -inf", [&](Deck& d) { d.HINIT = -inf; }, not_finite("HINIT")},
      {"TINIT inf", [&](Deck& d) { d.TINIT = inf; }, not_finite("TINIT")},
      {"XSTREAM inf", [&](Deck& d) { d.XSTREAM = inf; }, not_finite("XSTREAM")},
      // Without this check a nan time step reads as one "less than or equal to zero".
      {"DELT nan", [&](Deck& d) { d.DELT = nan; }, not_finite("DELT")},
      {"X nan", [&](Deck& d) { d.X = nan; }, not_finite("X")},
      {"XLL inf in a finite aquifer", [&](Deck& d) { d.IXL = 1, d.XLL = inf; }, not_finite("XLL")},
      {"ASYT nan over a water-table aquitard", [&](Deck& d) { d.IAQ = 3, d.AKT = d.AST = d.ABT = 1.0, d.ASYT = nan; },
       not_finite("ASYT")},
      {"a stage of nan", [&](Deck& d) { d.STAGE[6] = nan; }, not_finite("STAGE OF TIME-STRESS LINE 7")},
      {"a recharge of inf with both stresses",
       [&](Deck& d) { d.ISTRESS = 2, d.IAQ = 3, d.AKT = d.AST = d.ABT = d.ASYT = 1.0, d.RECH[0] = inf; },
       not_finite("RECH OF TIME-STRESS LINE 1")},
      {"a time step that overflows", [](Deck& d) { d.AK = 1e300, d.AS = 1e-300; }, kTimeStep},
      {"XLL nan in a semi-infinite aquifer", [&](Deck& d) { d.XLL = nan; }, ""},
      {"recharge nan under stage changes alone", [&](Deck& d) { d.RECH[3] = nan; }, ""},
      {"a time of nan, echoed only", [&](Deck& d) { d.TIME[3] = nan; }, ""},
      {"a stage beyond NT", [&](Deck& d) { d.STAGE.push_back(nan); }, ""},
  };
  for (const auto& c : cases) {
    Deck deck = flood_wave();
    c.change(deck);
    EXPECT_EQ(first_problem(deck).value_or(""), c.message) << c.what;
    try {
      simulate(deck);
      EXPECT_EQ(c.message, "") << c.what;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), c.message) << c.what;
    }
  }
}

// A deck file holds NT time-stress lines of finite numbers: anything else
// would be padded, cut or written as text no reader takes back.
TEST(LibraryEdges, WriteDeckRefusesWhatNoDeckFileHolds) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<std::function<void(Deck&)>, std::string> cases[] = {
      {[](Deck& d) { d.NT = 200; },
       "cannot write the deck: TIME holds 81 values where NT is 200 (a deck holds NT time-stress lines)"},
      {[](Deck& d) { d.STAGE.push_back(0.0); },
       "cannot write the deck: STAGE holds 82 values where NT is 81 (a deck holds NT time-stress lines)"},
      {[](Deck& d) { d.RECH.resize(80); },
       "cannot write the deck: RECH holds 80 values where NT is 81 (a deck holds NT time-stress lines)"},
      {[&](Deck& d) { d.XLL = nan; }, "cannot write the deck: XLL is nan (a deck holds finite numbers only)"},
      {[&](Deck& d) { d.TINIT = -inf; }, "cannot write the deck: TINIT is -inf (a deck holds finite numbers only)"},
      {[&](Deck& d) { d.TIME[80] = inf; },
       "cannot write the deck: TIME of time-stress line 81 is inf (a deck holds finite numbers only)"},
  };
  for (const auto& [change, message] : cases) {
    Deck deck = flood_wave();
    change(deck);
    try {
      write_deck(deck);
      ADD_FAILURE() << message;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

// The estimate and the advice refuse a deck with simulate's own words, results
// that overflow among them: an estimate of non-finite values is none.
TEST(LibraryEdges, AccuracyRefusesWithSimulatesWords) {
  const std::function<void(Deck&)> changes[] = {
      [](Deck& d) { d.STAGE[3] = 1e308, d.STAGE[4] = -1e308; },
      [](Deck& d) { d.HINIT = std::numeric_limits<double>::infinity(); },
      [](Deck& d) { d.AK = 1e300, d.AS = 1e-300; },
  };
  for (const auto& change : changes) {
    Deck deck = flood_wave();
    change(deck);
    std::string refused;
    try {
      simulate(deck);
    } catch (const std::invalid_argument& e) {
      refused = e.what();
    }
    ASSERT_NE(refused, "");
    const std::function<void()> calls[] = {[&] { inversion_error(deck); }, [&] { recommend_ns(deck); }};
    for (const auto& call : calls) {
      try {
        call();
        ADD_FAILURE() << refused;
      } catch (const std::invalid_argument& e) {
        EXPECT_EQ(e.what(), refused);
      }
    }
  }
}

}  // namespace
}  // namespace kesta
