// The console dialogue of a run, byte for byte, and how each file failure ends it.
#include <filesystem>

#include <gtest/gtest.h>

#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

const std::string kBanner =
    "             KESTA version 1.0, November 24, 2009\r\n"
    "   Computer Program for Analysis of Hydraulic Interaction\r\n"
    "        Between a Stream and Confined or Leaky Aquifer\r\n"
    "\r\n";
const std::string kAskInput = "   Enter name of file containing input data:\r\n";
const std::string kAskResults = "   Enter name of file for program results:\r\n";
const std::string kAskPlot = "   Enter name of plot file (return for no plot file):\r\n";
const std::string kNoPlot = "\r\n   No plot file specified. Results will not be written to a plot file.\r\n";
const std::string kNamesRead = "\r\n   File names have been read.\r\n";
const std::string kCalculating = "\r\n   Calculating aquifer responses ...\r\n\r\n";

std::string example_deck() { return read_file(source_path("examples/unit-step-confined.dat")); }

TEST(Dialogue, RunWithoutPlotFile) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kBanner + kAskInput + kAskResults + kAskPlot + kNoPlot + kNamesRead + kCalculating);
  // The unit rise at NS = 10 warns of its head's last digit, nothing else.
  EXPECT_TRUE(only_warnings(run.err)) << run.err;
  EXPECT_TRUE(file_exists(dir / "results.txt"));
}

TEST(Dialogue, RunWithPlotFileHasNoPlotMessage) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  const RunResult run = run_kesta(dir, "deck.dat\r\nresults.txt\r\nplot.txt\r\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kBanner + kAskInput + kAskResults + kAskPlot + kNamesRead + kCalculating);
  EXPECT_TRUE(file_exists(dir / "plot.txt"));
}

TEST(Dialogue, BlankAnswersRepeatTheFirstTwoPromptsOnly) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  const RunResult run = run_kesta(dir, "\n     \ndeck.dat\n\nresults.txt\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kBanner + kAskInput + kAskInput + kAskInput + kAskResults + kAskResults + kAskPlot + kNoPlot +
                         kNamesRead + kCalculating);
}

TEST(Dialogue, LeadingBlanksArePartOfTheName) {
  TempFolder dir;
  write_file(dir / " deck.dat", example_deck());
  EXPECT_EQ(run_kesta(dir, " deck.dat\nresults.txt\n\n").status, 0);
}

TEST(Dialogue, NameIsNeverCut) {
  TempFolder dir;
  const std::string fifty(50, 'd');
  write_file(dir / fifty, example_deck());
  write_file(dir / (fifty + "-deck.dat"), example_deck());
  const RunResult longer = run_kesta(dir, fifty + "-deck.dat\nresults.txt\n\n");
  EXPECT_EQ(longer.status, 0) << longer.err;
  const RunResult missing = run_kesta(dir, fifty + "IGNORED\nresults.txt\n\n");
  EXPECT_EQ(missing.status, 29);
  EXPECT_EQ(missing.err, "kesta: severe (29): file not found, unit 15, file " + fifty + "IGNORED\n");
}

TEST(Dialogue, MissingDeckEndsAfterTheFirstAnswer) {
  TempFolder dir;
  const RunResult run = run_kesta(dir, "nodeck.dat\nresults.txt\n\n");
  EXPECT_EQ(run.status, 29);
  EXPECT_EQ(run.out, kBanner + kAskInput);
  EXPECT_EQ(run.err, "kesta: severe (29): file not found, unit 15, file nodeck.dat\n");
  EXPECT_FALSE(file_exists(dir / "results.txt"));
}

TEST(Dialogue, EndOfConsoleInputWhileANameIsAwaited) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  for (const std::string answers : {"", "\n\n", "deck.dat\n", "deck.dat\nresults.txt\n"}) {
    const RunResult run = run_kesta(dir, answers);
    EXPECT_EQ(run.status, 24) << answers;
    EXPECT_EQ(run.err, "kesta: severe (24): end-of-file during read, unit -4, file stdin\n");
  }
}

TEST(Dialogue, PlotFileThatCannotBeCreatedLeavesTheResultsFileAlone) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  write_file(dir / "results.txt", "an earlier report\r\n");
  const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\nno-such-folder/plot.txt\n");
  EXPECT_EQ(run.status, 30);
  EXPECT_EQ(run.err,
            "kesta: severe (30): open failure, unit 17, file no-such-folder/plot.txt\nkesta: No such file or directory\n");
  EXPECT_EQ(run.out, kBanner + kAskInput + kAskResults + kAskPlot);
  EXPECT_EQ(read_file(dir / "results.txt"), "an earlier report\r\n");
}

// A results or plot file that is the input deck itself, however named, would cut
// the deck off: the run refuses it before anything is opened for writing.
TEST(Dialogue, NoFileOfTheRunMayOverwriteTheDeck) {
  struct Case {
    std::string answers;
    std::string diagnostic;
  };
  const Case cases[] = {
      {"deck.dat\ndeck.dat\n\n",
       "kesta: severe (30): open failure, unit 16, file deck.dat\nkesta: the results file is the input deck\n"},
      {"deck.dat\n./sub/../deck.dat\n\n",
       "kesta: severe (30): open failure, unit 16, file ./sub/../deck.dat\nkesta: the results file is the input deck\n"},
      {"deck.dat\nlink.dat\n\n",
       "kesta: severe (30): open failure, unit 16, file link.dat\nkesta: the results file is the input deck\n"},
      {"deck.dat\nresults.txt\ndeck.dat\n",
       "kesta: severe (30): open failure, unit 17, file deck.dat\nkesta: the plot file is the input deck\n"},
      {"deck.dat\nresults.txt\n./results.txt\n",
       "kesta: severe (30): open failure, unit 17, file ./results.txt\nkesta: the plot file is the results file\n"},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "sub");
    write_file(dir / "deck.dat", example_deck());
    std::filesystem::create_symlink("deck.dat", dir / "link.dat");
    const RunResult run = run_kesta(dir, c.answers);
    EXPECT_EQ(run.status, 30) << c.answers;
    EXPECT_EQ(run.err, c.diagnostic);
    EXPECT_EQ(read_file(dir / "deck.dat"), example_deck());
  }
}

TEST(Dialogue, AnExistingResultsFileIsReplacedWhole) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  write_file(dir / "results.txt", std::string(200000, 'x'));
  write_file(dir / "plot.txt", std::string(200000, 'y'));
  ASSERT_EQ(run_kesta(dir, "deck.dat\nresults.txt\nplot.txt\n").status, 0);
  const std::string report = read_file(dir / "results.txt");
  EXPECT_EQ(report.rfind("\r\n                *****", 0), 0u);
  EXPECT_EQ(report.find('x'), std::string::npos);
  EXPECT_EQ(read_file(dir / "plot.txt").find('y'), std::string::npos);
}

// Output lost on a full disk is never reported as success.
TEST(Dialogue, WriteFailureEndsWithItsDiagnostic) {
  TempFolder dir;
  write_file(dir / "deck.dat", example_deck());
  const RunResult report = run_kesta(dir, "deck.dat\n/dev/full\n\n");
  EXPECT_EQ(report.status, 38);
  EXPECT_EQ(report.err.rfind("kesta: severe (38): error during write, unit 16, file /dev/full\n", 0), 0u) << report.err;

  const RunResult plot = run_kesta(dir, "deck.dat\nresults.txt\n/dev/full\n");
  EXPECT_EQ(plot.status, 38);
  EXPECT_EQ(plot.err.rfind("kesta: severe (38): error during write, unit 17, file /dev/full\n", 0), 0u) << plot.err;
}

}  // namespace
}  // namespace kesta::testing
