// kesta with the file names on the command line: the same files and statuses as
// the console dialogue, no prompts; --help, --version and misuse.
#include <gtest/gtest.h>

#include "deck_builder.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

const std::string kCalculating = "\r\n   Calculating aquifer responses ...\r\n\r\n";

struct ArgumentCase {
  std::string what;
  std::vector<std::string> arguments;
  std::string answers;  // what the console dialogue would have been given
  int status;
};

// Every run writes what the piped run of the same answers writes, byte for byte.
TEST(CommandLine, NamedFilesActAsTheAnswers) {
  testing::Deck rejected;
  rejected.line[6] = "10. 0. 20.";
  const ArgumentCase cases[] = {
      {"deck, report and plot file", {"deck.dat", "results.txt", "plot.txt"}, "deck.dat\nresults.txt\nplot.txt\n", 0},
      {"no plot file", {"deck.dat", "results.txt"}, "deck.dat\nresults.txt\n\n", 0},
      {"a rejected deck", {"bad.dat", "results.txt", "plot.txt"}, "bad.dat\nresults.txt\nplot.txt\n", 1},
      {"a missing deck", {"none.dat", "results.txt"}, "none.dat\nresults.txt\n\n", 29},
      {"the results file is the deck", {"deck.dat", "deck.dat"}, "deck.dat\ndeck.dat\n\n", 30},
      {"the Stehfest inversion named",
       {"--inversion", "stehfest", "deck.dat", "results.txt", "plot.txt"},
       "deck.dat\nresults.txt\nplot.txt\n",
       0},
      {"the Stehfest inversion named in one word",
       {"deck.dat", "--inversion=stehfest", "results.txt"},
       "deck.dat\nresults.txt\n\n",
       0},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder named, piped;
    for (const TempFolder* dir : {&named, &piped}) {
      write_file(*dir / "deck.dat", Deck{}.text());
      write_file(*dir / "bad.dat", rejected.text());
    }
    const RunResult by_name = run_kesta_with(named, c.arguments);
    const RunResult by_answer = run_kesta(piped, c.answers);
    EXPECT_EQ(by_name.status, c.status);
    EXPECT_EQ(by_answer.status, c.status);
    EXPECT_EQ(by_name.err, by_answer.err);
    EXPECT_EQ(by_name.out, c.status == 0 ? kCalculating : "");  // no banner, no prompts
    for (const std::string file : {"results.txt", "plot.txt"}) {
      EXPECT_EQ(file_exists(named / file), file_exists(piped / file)) << file;
      EXPECT_EQ(read_file(named / file), read_file(piped / file)) << file;
    }
  }
}

TEST(CommandLine, HelpVersionAndMisuse) {
  TempFolder dir;
  write_file(dir / "deck.dat", Deck{}.text());
  const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
      {{"--help"}, 0, "Usage: kesta ", ""},
      {{"-h"}, 0, "Usage: kesta ", ""},
      {{"--version"}, 0, "kesta ", ""},  // the number itself: Version.EveryProgramSaysTheSame
      {{"deck.dat"}, 2, "", "kesta: expected a deck, a results file and at most one plot file; try kesta --help\n"},
      {{"a", "b", "c", "d"},
       2,
       "",
       "kesta: expected a deck, a results file and at most one plot file; try kesta --help\n"},
      // --plot names the plot file of a case; without --case it is refused all the same.
      {{"--plot", "x"}, 2, "", "kesta: --plot goes with --case; try kesta --help\n"},
      {{"deck.dat", "--help"}, 0, "Usage: kesta ", ""},  // an option anywhere before --
      {{"deck.dat", "results.txt", "--version"}, 0, "kesta ", ""},
      {{"--", "deck.dat", "--help"}, 0, "", ""},  // after --, a results file named --help
      {{"--", "deck.dat"},
       2,
       "",
       "kesta: expected a deck, a results file and at most one plot file; try kesta --help\n"},
      {{"deck.dat", " "},
       2,
       "",
       "kesta: the deck and the results file need names that are not blank; try kesta --help\n"},
      {{"--inversion", "Contour", "deck.dat", "results.txt"},
       2,
       "",
       "kesta: unknown inversion Contour (allowed: stehfest, contour); try kesta --help\n"},
      {{"--inversion=", "deck.dat", "results.txt"},
       2,
       "",
       "kesta: unknown inversion  (allowed: stehfest, contour); try kesta --help\n"},
      {{"deck.dat", "results.txt", "--inversion"},
       2,
       "",
       "kesta: --inversion needs a value, stehfest or contour; try kesta --help\n"},
      {{"--inversion=contour", "deck.dat"},
       2,
       "",
       "kesta: expected a deck, a results file and at most one plot file; try kesta --help\n"},
  };
  for (const auto& [arguments, status, out_start, err] : cases) {
    SCOPED_TRACE(arguments.front());
    const RunResult run = run_kesta_with(dir, arguments);
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.out.substr(0, out_start.size()), out_start);
    EXPECT_EQ(run.err, err);
  }
  EXPECT_NE(read_file(dir / "--help").find("RESULTS"), std::string::npos);
  EXPECT_NE(run_kesta_with(dir, {"--help"}).out.find("--inversion stehfest|contour"), std::string::npos);
}

}  // namespace
}  // namespace kesta::testing
