// kesta --case with the report and plot file of old: byte for byte what
// `kesta DECK REPORT PLOT` writes for the deck --write-deck writes, by the
// inversion the case names, written with the results or not at all.
#include <gtest/gtest.h>

#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

const std::string kRecord =
    "Date,Stage\n2023-05-01 00:00,0\n2023-05-01 01:00,1\n2023-05-01 02:00,3\n2023-05-01 03:00,3\n"
    "2023-05-01 04:00,2\n2023-05-01 05:00,1.5\n";

std::string case_text(const std::string& run_keys) {
  return "title = \"Legacy outputs\"\nx = 50.0\n"
         "[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\nstream_length = 1000.0\n"
         "conductivity = 5.0\nspecific_storage = 2e-4\nthickness = 20.0\n"
         "[stage]\nfile = \"stage.csv\"\ntime = \"Date\"\nvalue = \"Stage\"\n"
         "[run]\nstep = \"1 h\"\n" +
         run_keys;
}

TEST(CaseLegacy, ReportAndPlotFileAreThoseOfTheDeckTheCaseBecame) {
  struct Case {
    std::string what, run_keys;
    std::vector<std::string> arguments;  // after --case case.toml
    std::vector<std::string> deck_run;   // kesta's options for the deck
  };
  const Case cases[] = {
      {"named in the case, contour by default",
       "report = \"r.txt\"\nplot = \"p.txt\"\nwrite_deck = \"d.dat\"\n",
       {},
       {"--inversion", "contour"}},
      {"the case's Stehfest sum",
       "inversion = \"stehfest\"\nreport = \"r.txt\"\nplot = \"p.txt\"\n",
       {"--write-deck", "d.dat"},
       {}},
      // The command line's names win over the case's, as --write-deck's do.
      {"on the command line",
       "report = \"other.txt\"\n",
       {"--report", "r.txt", "--plot", "p.txt", "--write-deck", "d.dat"},
       {"--inversion", "contour"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    write_file(folder / "case.toml", case_text(c.run_keys));
    write_file(folder / "stage.csv", kRecord);
    std::vector<std::string> arguments{"--case", "case.toml"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const RunResult run = run_kesta_with(folder, arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(", the report to r.txt, the plot file to p.txt"), std::string::npos) << run.out;
    EXPECT_FALSE(file_exists(folder / "other.txt"));
    std::vector<std::string> deck_run = c.deck_run;
    deck_run.insert(deck_run.end(), {"d.dat", "legacy.txt", "legacy-plot.txt"});
    ASSERT_EQ(run_kesta_with(folder, deck_run).status, 0);
    const std::string report = read_file(folder / "r.txt");
    EXPECT_GT(report.size(), 1000u);
    EXPECT_TRUE(report == read_file(folder / "legacy.txt"));
    EXPECT_TRUE(read_file(folder / "p.txt") == read_file(folder / "legacy-plot.txt"));
  }
  // The two inversions give reports that differ, so each test above tells them apart.
  TempFolder folder;
  write_file(folder / "case.toml", case_text(""));
  write_file(folder / "stage.csv", kRecord);
  ASSERT_EQ(run_kesta_with(folder, {"--case", "case.toml", "--report", "c.txt"}).status, 0);
  ASSERT_EQ(run_kesta_with(folder, {"--case", "case.toml", "--report", "s.txt", "--inversion", "stehfest"}).status, 0);
  EXPECT_NE(read_file(folder / "c.txt"), read_file(folder / "s.txt"));
}

TEST(CaseLegacy, OutputsThatClashAreRefusedAndNothingWritten) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--report", "stage.csv"}, "kesta: stage.csv: is stage.csv, an input of the case\n"},
      {{"--plot", "case.toml"}, "kesta: case.toml: is case.toml, an input of the case\n"},
      {{"--report", "out.txt", "--plot", "./out.txt"},
       "kesta: ./out.txt: the plot file would be written over the report\n"},
      {{"--report", "results.csv"}, "kesta: results.csv: the report would be written over the results\n"},
      {{"--write-deck", "d.dat", "--plot", "d.dat"}, "kesta: d.dat: the plot file would be written over the deck\n"},
  };
  for (const auto& [options, message] : cases) {
    SCOPED_TRACE(message);
    TempFolder folder;
    write_file(folder / "case.toml", case_text(""));
    write_file(folder / "stage.csv", kRecord);
    std::vector<std::string> arguments{"--case", "case.toml"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const RunResult run = run_kesta_with(folder, arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, message);
    EXPECT_EQ(read_file(folder / "stage.csv"), kRecord);
    EXPECT_EQ(read_file(folder / "case.toml"), case_text(""));
    for (const char* name : {"results.csv", "out.txt", "d.dat"}) EXPECT_FALSE(file_exists(folder / name)) << name;
  }
  // A case that cannot be run writes no report either.
  TempFolder folder;
  write_file(folder / "case.toml", case_text("report = \"r.txt\"\n"));
  write_file(folder / "stage.csv", "Date,Stage\n2023-05-01 00:00,0\n2023-05-01 01:00,x\n");
  EXPECT_EQ(run_kesta_with(folder, {"--case", "case.toml"}).status, 2);
  EXPECT_FALSE(file_exists(folder / "r.txt"));
  // --report and --plot, like --write-deck, go with a case only.
  const RunResult misuse = run_kesta_with(folder, {"--plot", "p.txt", "d.dat", "r.txt"});
  EXPECT_EQ(misuse.status, 2);
  EXPECT_EQ(misuse.err, "kesta: --plot goes with --case; try kesta --help\n");
}

}  // namespace
}  // namespace kesta::testing
