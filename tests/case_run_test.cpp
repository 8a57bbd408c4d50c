// kesta --case as a user runs it: the case path gives, bit for bit, what a
// deck written by hand with the right placement gives; the dates of the rows;
// --write-deck; and every bad case, record or time ends with status 2, one
// line on standard error and nothing written.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <sstream>

#include "kesta/kesta.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

// Hourly readings 0, 1, 3, 3, 2 m from midnight.
const std::string kRecord =
    "Date,Stage\n2023-05-01 00:00,0\n2023-05-01 01:00,1\n2023-05-01 02:00,3\n2023-05-01 03:00,3\n"
    "2023-05-01 04:00,2\n";

std::string case_text(const std::string& time_unit, const std::string& zone = "UTC") {
  return "title = \"Placement\"\nx = 50.0\nhinit = 1.25\n"
         "[units]\nlength = \"m\"\ntime = \"" +
         time_unit +
         "\"\n"
         "[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\nstream_length = 1000.0\n"
         "conductivity = 5.0\nspecific_storage = 2e-4\nthickness = 20.0\n"
         "[stage]\nfile = \"stage.csv\"\ntime = \"Date\"\nvalue = \"Stage\"\n"
         "[run]\nstep = \"1 h\"\nzone = \"" +
         zone + "\"\n";
}

// The deck of the same case written by hand: line 1 the level at the start,
// line k the mean over the hour that ends at row k: (0+1)/2, (1+3)/2, (3+3)/2, (3+2)/2.
std::string hand_deck(const std::string& delt) {
  return "Placement\nFrom the case\n0 " + delt +
         " 0\n0 0 0\n10 0 0 1000\n5 2e-4 20\n0 0 0 0\n50 1.25 0\n14\n5\n"
         "0 0 0\n1 0.5 0\n2 2 0\n3 3 0\n4 2.5 0\n";
}

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    rows.emplace_back();
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) rows.back().push_back(cell);
  }
  return rows;
}

double number(const std::string& text) {
  double v = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << text;
  return v;
}

struct PlacementCase {
  std::string time_unit, delt, zone, first_date;
  std::string time_header;
};

TEST(CaseRun, SameBitsAsTheHandMadeDeckWithTheRightPlacement) {
  const PlacementCase cases[] = {
      {"h", "1", "UTC", "2023-05-01T00:00:00+00:00", "time (h)"},
      // 3600 / 86400 in the shortest form that reads back.
      {"d", "0.041666666666666664", "UTC", "2023-05-01T00:00:00+00:00", "time (d)"},
      // The same readings in Amsterdam's summer time, two hours ahead of UTC.
      {"d", "0.041666666666666664", "Europe/Amsterdam", "2023-05-01T00:00:00+02:00", "time (d)"},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.time_unit + " " + c.zone);
    TempFolder folder;
    write_file(folder / "case.toml", case_text(c.time_unit, c.zone));
    write_file(folder / "stage.csv", kRecord);
    const RunResult run = run_kesta_with(folder, {"--case", "case.toml", "--write-deck", "case.dat"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const Results hand = simulate(parse_deck(hand_deck(c.delt)), SimulateOptions{InversionMethod::Contour});
    const auto rows = csv_rows(read_file(folder / "results.csv"));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{c.time_header, "date", "head (m)", "seepage (m^2/" + c.time_unit + ")",
                                                 "total seepage (m^3/" + c.time_unit + ")", "bank storage (m^2)",
                                                 "bank-storage volume (m^3)"}));
    EXPECT_EQ(rows[1][1], c.first_date);
    for (std::size_t k = 0; k < 5; ++k) {
      const auto& row = rows[k + 1];
      ASSERT_EQ(row.size(), 7u);
      const std::vector<double>* series[] = {&hand.time,          &hand.head,         &hand.seepage,
                                             &hand.total_seepage, &hand.bank_storage, &hand.bank_volume};
      EXPECT_EQ(number(row[0]), hand.time[k]);
      for (std::size_t s = 1; s < 6; ++s) EXPECT_EQ(number(row[s + 1]), (*series[s])[k]) << "row " << k + 1;
    }
    // The deck written is the hand-made deck's values, and the legacy engine runs it.
    const Deck written = read_deck(folder / "case.dat");
    EXPECT_EQ(written.STAGE, (std::vector<double>{0, 0.5, 2, 3, 2.5}));
    EXPECT_EQ(written.DELT, parse_deck(hand_deck(c.delt)).DELT);
    EXPECT_EQ(run_kesta_with(folder, {"case.dat", "report.txt"}).status, 0);
  }
}

struct BadCase {
  std::string what;
  std::string case_change_from, case_change_to;  // one edit of the good case
  std::string record;                            // "" keeps the good record
  std::string line;                              // the one line on standard error
};

TEST(CaseRun, EveryBadInputIsOneLineStatusTwoAndNothingWritten) {
  const std::string good = case_text("h") + "write_deck = \"out.dat\"\n";
  const BadCase cases[] = {
      {"TOML that does not parse", "x = 50.0", "x = = 50.0", "", "kesta: case.toml:2: "},
      {"an unknown key", "hinit = 1.25", "hinit = 1.25\nwell = 3", "",
       "kesta: case.toml:4: unknown key 'well'; the keys are title, units, deck, x, hinit, aquifer, stage, recharge, "
       "run\n"},
      {"an unknown aquifer type", "\"confined\"", "\"artesian\"", "",
       "kesta: case.toml:8: aquifer.type: expected \"confined\", \"leaky-constant-head\", \"leaky-impervious-layer\" "
       "or \"leaky-water-table\"\n"},
      {"a step that is no length of time", "\"1 h\"", "\"1 hour\"", "",
       "kesta: case.toml:19: run.step: expected a length of time such as \"15 min\", \"1 h\", \"1 d\" or a number in "
       "the time unit\n"},
      {"an unknown zone", "\"UTC\"", "\"Europe/Atlantis\"", "",
       "kesta: case.toml:20: run.zone: unknown time zone \"Europe/Atlantis\" (an IANA name such as \"UTC\" or "
       "\"Europe/Amsterdam\")\n"},
      {"a record that is not there", "\"stage.csv\"", "\"gauge.csv\"", "",
       "kesta: gauge.csv: cannot be read: No such file or directory\n"},
      {"a start number for dated records", "step = \"1 h\"", "step = \"1 h\"\nstart = 0.5", "",
       "kesta: case.toml:20: run.start: the records are dated; give a date such as \"2023-05-01 00:00\"\n"},
      {"a run beyond the record", "step = \"1 h\"", "step = \"1 h\"\nend = \"2023-05-01 05:00\"", "",
       "kesta: stage.csv:6: the run's last step ends at 2023-05-01T05:00:00+00:00, after the record's last reading "
       "(2023-05-01T04:00:00+00:00)\n"},
      {"times out of order", "", "", "Date,Stage\n2023-05-01 00:00,0\n2023-05-01 02:00,1\n2023-05-01 01:00,3\n",
       "kesta: stage.csv:4: the time '2023-05-01 01:00' is earlier than the time '2023-05-01 02:00' of line 3; times "
       "must increase down the record\n"},
      {"a time that is no date", "", "", "Date,Stage\n2023-05-01 00:00,0\n01.05.2023 01:00,1\n",
       "kesta: stage.csv:3: the time '01.05.2023 01:00' is not a date in ISO 8601 (2023-05-01T01:07:00+02:00, "
       "2023-05-01 01:07 or 2023-05-01)\n"},
      {"a gap beyond max_gap", "step = \"1 h\"", "step = \"1 h\"\nmax_gap = \"2 h\"",
       "Date,Stage\n2023-05-01 00:00,0\n2023-05-01 01:00,NA\n2023-05-01 02:00,NA\n2023-05-01 03:00,3\n",
       "kesta: stage.csv:5: a gap from the reading at 2023-05-01T00:00:00+00:00 (line 2) to the reading at "
       "2023-05-01T03:00:00+00:00 (line 5) is longer than max_gap; shorten the run or raise max_gap\n"},
      {"a well inside the stream", "x = 50.0", "x = 5.0", "",
       "kesta: case.toml: the case makes a deck the model refuses: "},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    std::string text = good;
    if (!c.case_change_from.empty()) {
      const auto at = text.find(c.case_change_from);
      ASSERT_NE(at, std::string::npos);
      text.replace(at, c.case_change_from.size(), c.case_change_to);
    }
    write_file(folder / "case.toml", text);
    write_file(folder / "stage.csv", c.record.empty() ? kRecord : c.record);
    const RunResult run = run_kesta_with(folder, {"--case", "case.toml"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    if (c.line.back() == '\n')
      EXPECT_EQ(run.err, c.line);
    else
      EXPECT_EQ(run.err.substr(0, c.line.size()), c.line);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(file_exists(folder / "results.csv"));
    EXPECT_FALSE(file_exists(folder / "out.dat"));
  }
}

TEST(CaseRun, AnOutputThatIsAnInputIsRefused) {
  TempFolder folder;
  write_file(folder / "case.toml", case_text("h"));
  write_file(folder / "stage.csv", kRecord);
  const RunResult run = run_kesta_with(folder, {"--case", "case.toml", "--write-deck", "stage.csv"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kesta: stage.csv: is stage.csv, an input of the case\n");
  EXPECT_EQ(read_file(folder / "stage.csv"), kRecord);
  EXPECT_FALSE(file_exists(folder / "results.csv"));
}

}  // namespace
}  // namespace kesta::testing

namespace kesta::testing {
namespace {

TEST(CaseRun, TheCommandLineOfACase) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--write-deck", "d.dat", "deck.dat", "r.txt"}, "kesta: --write-deck goes with --case; try kesta --help\n"},
      {{"--case", "case.toml", "deck.dat", "r.txt"},
       "kesta: --case takes no deck, results or plot file names; try kesta --help\n"},
      {{"--case"}, "kesta: --case needs a file name; try kesta --help\n"},
  };
  for (const auto& [arguments, message] : cases) {
    TempFolder folder;
    const RunResult run = run_kesta_with(folder, arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, message);
  }
  // The command line's inversion goes over the case's: the deck's Stehfest
  // sum then gives other bits than the contour.
  TempFolder folder;
  write_file(folder / "case.toml", case_text("h"));
  write_file(folder / "stage.csv", kRecord);
  ASSERT_EQ(run_kesta_with(folder, {"--case", "case.toml"}).status, 0);
  const std::string contour = read_file(folder / "results.csv");
  ASSERT_EQ(run_kesta_with(folder, {"--inversion", "stehfest", "--case", "case.toml"}).status, 0);
  const std::string stehfest = read_file(folder / "results.csv");
  EXPECT_NE(contour, stehfest);
  const Results expected = simulate(parse_deck(hand_deck("1")));
  EXPECT_EQ(number(csv_rows(stehfest)[3][2]), expected.head[2]);
}

}  // namespace
}  // namespace kesta::testing

namespace kesta::testing {
namespace {

// deck = "..." takes the aquifer, the well and HINIT from a deck; its stress
// series gives way to the record's steps.
TEST(CaseRun, TheAquiferFromADeck) {
  TempFolder folder;
  std::string deck = hand_deck("1");
  deck.replace(deck.find("0 0 0\n1 0.5 0"), 13, "0 9 0\n1 9 0");  // a stress series the case replaces
  write_file(folder / "aquifer.dat", deck);
  write_file(folder / "stage.csv", kRecord);
  write_file(folder / "case.toml",
             "title = \"Placement\"\ndeck = \"aquifer.dat\"\n[units]\ntime = \"h\"\n"
             "[stage]\nfile = \"stage.csv\"\n[run]\nstep = \"1 h\"\n");
  const RunResult run = run_kesta_with(folder, {"--case", "case.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Results hand = simulate(parse_deck(hand_deck("1")), SimulateOptions{InversionMethod::Contour});
  const auto rows = csv_rows(read_file(folder / "results.csv"));
  ASSERT_EQ(rows.size(), 6u);
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(number(rows[k + 1][2]), hand.head[k]);
    EXPECT_EQ(number(rows[k + 1][3]), hand.seepage[k]);
  }
}

}  // namespace
}  // namespace kesta::testing
