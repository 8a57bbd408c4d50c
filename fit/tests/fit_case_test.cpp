// Reading a fit folder: every check that needs the deck or the records.
#include "fit/case/fit_case.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "fit/tests/fit_scenario.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

using testing::RecordPlan;

const std::vector<RecordPlan> kPlans = {{Kind::Head, 30.0, 5, 0.0}, {Kind::Seepage, 0.0, 5, 0.0}};
constexpr const char* kAK = "AK = { min = 0.1, max = 1000.0 }\n";

struct Case {
  const char* name;
  std::function<void(Deck&)> deck;
  std::function<void(std::vector<ObservationSet>&)> records;
  std::string parameters;
  std::function<void(const testing::TempFolder&)> edit;  // after the folder is written
  std::string file;                                      // the file the message names, last part of its path
  int line;
  std::string message;
};

void nothing_to_deck(Deck&) {}
void nothing_to_records(std::vector<ObservationSet>&) {}
void nothing_to_files(const testing::TempFolder&) {}

TEST(FitCase, FaultsNameFileAndLine) {
  const Case cases[] = {
      {"deck missing", nothing_to_deck, nothing_to_records, kAK,
       [](const testing::TempFolder& f) { std::filesystem::remove(f.path("deck.dat")); }, "fit.toml", 1,
       "deck: 'deck.dat' is not a readable file"},
      {"deck unreadable", nothing_to_deck, nothing_to_records, kAK,
       [](const testing::TempFolder& f) {
         std::string text = testing::file_text(f.path("deck.dat"));
         std::size_t line6 = 0;
         for (int i = 0; i < 5; ++i) line6 = text.find('\n', line6) + 1;
         f.write("deck.dat", text.substr(0, line6) + "ten  1e-4  10\n" + text.substr(text.find('\n', line6) + 1));
       },
       "deck.dat", 6, ""},
      {"deck invalid", [](Deck& d) { d.AB = 0.0; }, nothing_to_records, kAK, nothing_to_files, "deck.dat", 0,
       "A HYDRAULIC PROPERTY OF THE AQUIFER"},
      {"deck too short",
       [](Deck& d) {
         d.NT = 1;
         d.TIME.resize(1);
         d.STAGE.resize(1);
         d.RECH.resize(1);
       },
       nothing_to_records, kAK, nothing_to_files, "deck.dat", 0, "a fit needs at least two"},
      // The contour inversion, the fit's default, takes it.
      {"deck of more steps than the Stehfest sum takes",
       [](Deck& d) {
         d.NT = 100000;
         for (auto* series : {&d.TIME, &d.STAGE, &d.RECH}) series->resize(100000, 0.0);
       },
       nothing_to_records, kAK,
       [](const testing::TempFolder& f) {
         f.write("fit.toml", "inversion = \"stehfest\"\n" + testing::file_text(f.path("fit.toml")));
       },
       "deck.dat", 10,
       "deck.dat: NT = 100000 is greater than 99999 (the Stehfest sum's limit; inversion = \"contour\" takes up "
       "to 10000000 steps)"},
      {"record missing", nothing_to_deck, nothing_to_records, kAK,
       [](const testing::TempFolder& f) { std::filesystem::remove(f.path("record-2.csv")); }, "fit.toml", 7,
       "file: 'record-2.csv' is not a readable file"},
      {"time after the last step", nothing_to_deck, [](std::vector<ObservationSet>& s) { s[0].rows[3].time = 6.5; },
       kAK, nothing_to_files, "record-1.csv", 5, "time 6.5 lies outside the computed times 0 to 6"},
      {"time before the first step", nothing_to_deck, [](std::vector<ObservationSet>& s) { s[1].rows[0].time = -0.1; },
       kAK, nothing_to_files, "record-2.csv", 2, "time -0.1 lies outside"},
      {"well inside the stream", nothing_to_deck, [](std::vector<ObservationSet>& s) { s[0].distance = 5.0; }, kAK,
       nothing_to_files, "fit.toml", 5, "distance 5 does not suit the deck: OBSERVATION WELL (X) LIES INSIDE"},
      {"aquifer width without a boundary", nothing_to_deck, nothing_to_records, "XLL = { min = 100.0 }\n",
       nothing_to_files, "fit.toml", 10, "XLL is not used by the deck: IXL = 0"},
      {"aquitard of a confined aquifer", nothing_to_deck, nothing_to_records, "AKT = { min = 1e-5 }\n",
       nothing_to_files, "fit.toml", 10, "AKT is not used by the deck: IAQ = 0"},
      {"specific yield without a water table",
       [](Deck& d) {
         d.IAQ = 1;
         d.AKT = 0.01;
         d.AST = 1e-3;
         d.ABT = 2.0;
       },
       nothing_to_records, "ASYT = { min = 0.01 }\n", nothing_to_files, "fit.toml", 10,
       "ASYT is not used by the deck: IAQ = 1"},
      {"streambank leakance without a bank", [](Deck& d) { d.IXA = 0; }, nothing_to_records, "XAA = { min = 1.0 }\n",
       nothing_to_files, "fit.toml", 10, "XAA is not used by the deck: IXA = 0"},
      {"deck value outside the bounds", nothing_to_deck, nothing_to_records, "AK = { min = 20.0, max = 50.0 }\n",
       nothing_to_files, "fit.toml", 10, "the deck's value 10 lies outside the bounds"},
      {"bound that puts the well beyond the aquifer",
       [](Deck& d) {
         d.IXL = 1;
         d.XLL = 500.0;
       },
       nothing_to_records, "XLL = { min = 20.0, max = 1000.0 }\n", nothing_to_files, "fit.toml", 10,
       "parameters.XLL min = 20 makes the deck invalid: OBSERVATION WELL (X) LIES BEYOND"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck = testing::flood_deck();
    c.deck(deck);
    std::vector<ObservationSet> sets = testing::records(testing::flood_deck(), kPlans, 1);
    c.records(sets);
    const testing::TempFolder folder;
    testing::write_fit_folder(folder, deck, sets, c.parameters);
    c.edit(folder);
    try {
      load_fit_case(read_fit_file(folder.path("fit.toml")));
      ADD_FAILURE() << "no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(std::filesystem::path(e.file()).filename(), c.file) << e.what();
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(FitCase, GathersRecordsAndStartingValues) {
  const testing::TempFolder folder;
  const std::vector<ObservationSet> sets = testing::records(testing::flood_deck(), kPlans, 1);
  testing::write_fit_folder(folder, testing::flood_deck(), sets, "AS = { initial = 2e-4 }\nAK = { min = 1.0 }\n");
  const FitCase c = load_fit_case(read_fit_file(folder.path("fit.toml")));
  ASSERT_EQ(c.parameters.size(), 2u);
  EXPECT_EQ(c.parameters[0].free.name, "AK");
  EXPECT_EQ(c.parameters[0].free.initial, 10.0);  // the deck's
  EXPECT_EQ(c.parameters[0].free.min, 1.0);
  EXPECT_EQ(c.parameters[1].free.initial, 2e-4);  // the fit file's
  EXPECT_EQ(c.observation_count(), sets[0].rows.size() + sets[1].rows.size());
  EXPECT_EQ(c.sets[0].distance, 30.0);
  EXPECT_EQ(c.observed.value.front(), sets[0].rows.front().value);
  EXPECT_EQ(c.observed.value.back(), sets[1].rows.back().value);
}

// A long record needs no inversion = "contour": it is the fit's default.
TEST(FitCase, TheContourInversionTakesMoreStepsThanTheStehfestSum) {
  const testing::TempFolder folder;
  Deck deck = testing::flood_deck();
  deck.NT = 100000;
  for (auto* series : {&deck.TIME, &deck.STAGE, &deck.RECH}) series->resize(100000, 0.0);
  testing::write_fit_folder(folder, deck, testing::records(testing::flood_deck(), kPlans, 1), kAK);
  const FitCase c = load_fit_case(read_fit_file(folder.path("fit.toml")));
  EXPECT_EQ(c.deck.NT, 100000);
  EXPECT_EQ(c.file.inversion, InversionMethod::Contour);
}

}  // namespace
}  // namespace kesta::fit_detail
