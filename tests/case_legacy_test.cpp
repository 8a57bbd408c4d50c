// kesta --case with the report and plot file of old: byte for byte what
// `kesta DECK REPORT PLOT` writes for the deck --write-deck writes, by the
// inversion the case names, written with the results or not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "run_kesta.hpp"
#include "shell_process.hpp"

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

// The report is made by a run in a working folder of its own: interrupted
// while that folder exists, kesta takes it with it and ends by the signal.
TEST(CaseLegacy, AnInterruptedReportLeavesNoWorkingFolder) {
  TempFolder folder;
  const std::filesystem::path scratch = folder / "tmp";
  std::filesystem::create_directory(scratch);
  // 60,000 hourly readings: the report's run takes a few tenths of a second.
  std::string record = "Time,Stage\n";
  for (int h = 0; h < 60000; ++h) record += std::to_string(h) + "," + std::to_string((h % 24) / 6) + "\n";
  write_file(folder / "stage.csv", record);
  write_file(folder / "case.toml",
             "title = \"Interrupted\"\nx = 50.0\n[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\n"
             "stream_length = 1000.0\nconductivity = 5.0\nspecific_storage = 2e-4\nthickness = 20.0\n"
             "[units]\nlength = \"m\"\ntime = \"h\"\n[stage]\nfile = \"stage.csv\"\n[run]\nstep = 1.0\n");
  const auto working_folders = [&] {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch))
      n += entry.path().filename().string().rfind("kesta-case-", 0) == 0;
    return n;
  };
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE("signal " + std::to_string(sig));
    const pid_t pid = start_shell("cd '" + folder.path() + "' && TMPDIR='" + scratch.string() +
                                  "' exec '" KESTA_BINARY "' --case case.toml --report r.txt > /dev/null 2>&1");
    ASSERT_GT(pid, 0);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (working_folders() == 0 && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    ASSERT_EQ(working_folders(), 1) << "the report's working folder never appeared";
    kill(pid, sig);
    EXPECT_EQ(wait_for(pid), 128 + sig);
    for (const auto& left : std::filesystem::recursive_directory_iterator(scratch)) ADD_FAILURE() << left.path();
    EXPECT_FALSE(file_exists(folder / "r.txt"));
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directory(scratch);
  }
}

}  // namespace
}  // namespace kesta::testing
