// The library on the edges: decks written and read back value for value, the
// most time steps, short series, and time steps the inversion cannot take.
#include <functional>
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
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), c.message) << c.what;
    }
  }
}

}  // namespace
}  // namespace kesta
