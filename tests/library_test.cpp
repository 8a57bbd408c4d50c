// The public library as another program uses it: decks read and written, every
// class of unreadable deck as a DeckError, checks as exceptions, results that are
// the program's printed numbers, and simulations on several threads at once.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "deck_builder.hpp"
#include "golden_data.hpp"
#include "io/record_editing.hpp"
#include "kesta/kesta.hpp"
#include "model/contour_inversion.hpp"
#include "model/contour_superposition.hpp"
#include "model/dimensionless.hpp"
#include "model/superposition.hpp"
#include "run_kesta.hpp"

namespace kesta {
namespace {

using testing::example_names;

struct DeckErrorCase {
  std::string what;
  std::string text;
  int line;             // the deck line DeckError names
  std::string message;  // what what() says
};

std::string deck_with(int n, const std::string& line) {
  testing::Deck deck;
  deck.line[static_cast<std::size_t>(n)] = line;
  return deck.text();
}

TEST(ParseDeck, EveryFailureClassIsADeckErrorThatSaysWhere) {
  testing::Deck short_deck;
  short_deck.stress.pop_back();  // NT = 3, two time-stress lines
  const std::string seven_lines = "t\nt\n0 1 0\n0 0 0\n1 0 0 1\n1 1 1\n0 0 0 0\n";
  const DeckErrorCase cases[] = {
      {"a value that is not a number", deck_with(6, "10. abc 20."), 6,
       "line 6 of the deck text (AK  AS  AB) holds a value that is not a number"},
      {"a time-stress line that is not numbers",
       [] {
         testing::Deck d;
         d.stress[1] = "0.5 O.5 0";
         return d.text();
       }(),
       12, "line 12 of the deck text, time-stress line 2 of 3 (TIME  STAGE  RECH), holds a value that is not a number"},
      {"too few values", deck_with(5, "2.5 1000. 0.75"), 5,
       "line 5 of the deck text (XZERO  XLL  XAA  XSTREAM) has too few values"},
      {"an empty line", deck_with(9, ""), 9, "line 9 of the deck text (NS) has too few values"},
      {"a missing fixed line", seven_lines, 7, "the deck text ends after line 7; line 8 (X  HINIT  TINIT) is missing"},
      {"a missing time-stress line", short_deck.text(), 12,
       "the deck text ends after line 12; time-stress line 3 of 3 (TIME  STAGE  RECH) is missing"},
      {"no text at all", "", 0, "the deck text is empty; line 1 (TITLE1) is missing"},
      {"more steps than a deck may give", deck_with(10, "10000001"), 10,
       "line 10 of the deck text: NT = 10000001 is greater than 10000000"},
      {"the most steps, taken, then too few lines", deck_with(10, "10000000"), 13,
       "the deck text ends after line 13; time-stress line 4 of 10000000 (TIME  STAGE  RECH) is missing"},
  };
  for (const DeckErrorCase& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      parse_deck(c.text);
      ADD_FAILURE() << "no DeckError";
    } catch (const DeckError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(ReadDeck, FilesThatCannotBeDecks) {
  testing::TempFolder dir;
  std::filesystem::create_directory(dir / "folder");
  const std::pair<std::string, std::string> cases[] = {
      {dir / "missing.dat", "cannot open the deck: file not found, unit 15, file " + (dir / "missing.dat")},
      {dir / "folder", "cannot open the deck: open failure, unit 15, file " + (dir / "folder") +
                           ": the input deck is a folder, not a file"},
  };
  for (const auto& [path, message] : cases) {
    try {
      read_deck(path);
      ADD_FAILURE() << path;
    } catch (const DeckError& e) {
      EXPECT_EQ(e.line(), 0);
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

// Every example read by the library, written back and read again, holds the same
// values; its results are the program's plot file, digit for digit.
TEST(Library, ExamplesRoundTripAndGiveThePrintedNumbers) {
  for (const std::string& name : example_names()) {
    SCOPED_TRACE(name);
    const Deck deck = read_deck(testing::example_deck_path(name));
    const Deck again = parse_deck(write_deck(deck));
    EXPECT_EQ(write_deck(again), write_deck(deck));
    EXPECT_EQ(again.STAGE, deck.STAGE);
    EXPECT_EQ(again.AK, deck.AK);
    EXPECT_EQ(again.TITLE1, deck.TITLE1);
    ASSERT_FALSE(first_problem(deck)) << *first_problem(deck);

    const Results r = simulate(deck);
    const std::string plot = testing::read_file(testing::golden_plot_path(name));
    std::string rows;
    for (std::size_t k = 0; k < r.time.size(); ++k)
      rows += " " + edit_real(r.time[k], 13, 6, 'E') + "  " + edit_real(r.head[k], 11, 5, 'E') + "  " +
              edit_real(r.seepage[k], 10, 4, 'E') + "  " + edit_real(r.total_seepage[k], 10, 4, 'E') + "  " +
              edit_real(r.bank_storage[k], 10, 4, 'E') + "  " + edit_real(r.bank_volume[k], 10, 4, 'E') + "\r\n";
    EXPECT_TRUE(plot.substr(plot.find('\n') + 1) == rows);
  }
}

// A value line that does not fit 80 columns in its shortest form keeps 13
// significant digits, so it is still read whole.
TEST(WriteDeck, LongValuesStayWithinEightyColumns) {
  Deck deck = read_deck(testing::example_deck_path("water-table-stage"));
  deck.AKT = 1.2345678901234567e-05;
  deck.AST = -2.2250738585072014e-308;
  deck.ABT = 3.3333333333333335;
  deck.ASYT = 0.1234567890123456;
  deck.AK = 0.1 + 0.2;  // fits: keeps every bit
  const Deck again = parse_deck(write_deck(deck));
  EXPECT_EQ(again.AK, deck.AK);
  EXPECT_NEAR(again.AKT, deck.AKT, 1e-12 * deck.AKT);
  EXPECT_NEAR(again.ASYT, deck.ASYT, 1e-12 * deck.ASYT);
  EXPECT_EQ(again.NT, deck.NT);
}

TEST(Simulate, ChecksAndOverflowsAreInvalidArguments) {
  Deck deck = read_deck(testing::example_deck_path("flood-wave-confined"));
  const std::pair<std::function<void(Deck&)>, std::string> cases[] = {
      {[](Deck& d) { d.AK = 0.0; },
       "A HYDRAULIC PROPERTY OF THE AQUIFER (INPUT LINE 6) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED."},
      {[](Deck& d) { d.NS = 30; }, "NUMBER OF STEHFEST TERMS (NS) IS NOT FROM 2 TO 20. PROGRAM STOPPED."},
      {[](Deck& d) { d.STAGE.resize(10); }, "TIME, STAGE AND RECH HOLD FEWER THAN NT VALUES. PROGRAM STOPPED."},
      {[](Deck& d) { d.DELT = 1e-320; },
       "DIMENSIONLESS TIME STEP (AK*DELT/(AS*XZERO**2)) IS NOT A FINITE NUMBER. CHECK AK, AS, XZERO AND DELT. "
       "PROGRAM STOPPED."},
      {[](Deck& d) { d.STAGE[3] = 1e308, d.STAGE[4] = -1e308; },
       "HEAD AT TIME STEP 4 IS NOT A FINITE NUMBER. CHECK HINIT, THE STAGE AND RECHARGE DATA AND THE AQUIFER "
       "PROPERTIES. PROGRAM STOPPED."},
  };
  for (const auto& [change, message] : cases) {
    Deck bad = deck;
    change(bad);
    for (const InversionMethod method : {InversionMethod::Stehfest, InversionMethod::Contour}) {
      try {
        simulate(bad, {method});
        ADD_FAILURE() << message;
      } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()), message);
      }
    }
  }
}

void expect_same_bits(const Results& a, const Results& b) {
  for (auto series : {&Results::time, &Results::head, &Results::seepage, &Results::total_seepage,
                      &Results::bank_storage, &Results::bank_volume}) {
    ASSERT_EQ((a.*series).size(), (b.*series).size());
    EXPECT_EQ(std::memcmp((a.*series).data(), (b.*series).data(), (a.*series).size() * sizeof(double)), 0);
  }
}

// The options choose the inversion: the contour's results are its step
// responses superposed (by convolution for a long run), bit for bit; the
// default stays the Stehfest sum's bits.
TEST(Simulate, OptionsChooseTheInversion) {
  for (const std::string& name : example_names()) {
    SCOPED_TRACE(name);
    const Deck deck = read_deck(testing::example_deck_path(name));
    const Derived parameters = derive(deck);
    const ContourResponses contour = contour_responses(deck, parameters, deck.NT - 1);
    const Results by_contour = simulate(deck, {InversionMethod::Contour});
    const LagSumRoute route = deck.NT - 1 >= kConvolveFrom ? LagSumRoute::Convolution : LagSumRoute::InOrder;
    expect_same_bits(by_contour, superpose_responses(deck, parameters, contour.RH, contour.RQ, route));
    const Results stehfest = superpose(deck, parameters, prepare_inversion(deck.NS));
    expect_same_bits(simulate(deck), stehfest);
    expect_same_bits(simulate(deck, {}), stehfest);
    expect_same_bits(simulate(deck, {InversionMethod::Stehfest}), stehfest);
    EXPECT_NE(by_contour.head, stehfest.head);
  }
}

// The estimate refuses what simulate refuses, before any arithmetic.
TEST(InversionError, RefusesTheDecksSimulateRefuses) {
  Deck deck = read_deck(testing::example_deck_path("finite-width-confined"));
  const std::function<void(Deck&)> changes[] = {[](Deck& d) { d.AK = 0.0; }, [](Deck& d) { d.NS = 30; },
                                                [](Deck& d) { d.STAGE.resize(10); }, [](Deck& d) { d.DELT = 1e-320; }};
  for (const auto& change : changes) {
    Deck bad = deck;
    change(bad);
    const std::string message = first_problem(bad).value_or("a deck whose time step does not invert");
    EXPECT_THROW(inversion_error(bad), std::invalid_argument) << message;
    EXPECT_THROW(recommend_ns(bad), std::invalid_argument) << message;
  }
}

// The library's estimate and advice are the program's: the NS its warning names
// for the unit rise, and an error per printed step that the advice removes.
TEST(InversionError, LibraryAdvisesTheNsTheProgramNames) {
  const Deck deck = read_deck(testing::example_deck_path("unit-step-confined"));
  testing::TempFolder dir;
  testing::write_file(dir / "deck.dat", testing::read_file(testing::example_deck_path("unit-step-confined")));
  const testing::RunResult run = testing::run_kesta(dir, "deck.dat\nresults.txt\n\n");
  const NsAdvice advice = recommend_ns(deck);
  EXPECT_EQ(advice.values_off, 0);
  EXPECT_NE(run.err.find("NS = " + std::to_string(advice.NS) + " prints correct digits"), std::string::npos) << run.err;
  const InversionError error = inversion_error(deck);
  ASSERT_EQ(error.head.size(), static_cast<std::size_t>(deck.NT));
  EXPECT_EQ(error.NS, deck.NS);
  EXPECT_EQ(error.head[0], 0.0);
  EXPECT_GT(std::fabs(error.head[2]), 0.5e-5);  // the head the warning names at time 2
}

// Four decks on four threads at once give the bits they give one by one.
TEST(Simulate, ThreadsGiveTheSameBitsAsOneByOne) {
  const std::string names[4] = {"daily-stage-record", "water-table-stage-and-recharge", "leaky-impervious-layer",
                                "finite-width-confined"};
  std::vector<Deck> decks;
  std::vector<Results> alone;
  for (const std::string& name : names) {
    decks.push_back(read_deck(testing::example_deck_path(name)));
    alone.push_back(simulate(decks.back()));
  }
  for (int round = 0; round < 3; ++round) {
    std::vector<Results> together(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < 4; ++i) threads.emplace_back([&, i] { together[i] = simulate(decks[i]); });
    for (std::thread& t : threads) t.join();
    for (std::size_t i = 0; i < 4; ++i) {
      SCOPED_TRACE(names[i]);
      for (auto member : {&Results::time, &Results::head, &Results::seepage, &Results::total_seepage,
                          &Results::bank_storage, &Results::bank_volume}) {
        const std::vector<double>& a = together[i].*member;
        const std::vector<double>& b = alone[i].*member;
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0);
      }
    }
  }
}

}  // namespace
}  // namespace kesta
