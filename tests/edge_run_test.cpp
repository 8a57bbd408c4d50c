// Decks on the edges of the checks and of the model, and reads that fail,
// through the built program.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>

#include <gtest/gtest.h>

#include "deck_builder.hpp"
#include "report_text.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

const std::string kAquitardMessage = crlf({"   A HYDRAULIC PROPERTY OF THE AQUITARD (INPUT LINE 7) IS LESS THAN OR",
                                           "      EQUAL TO ZERO. PROGRAM STOPPED."});

struct EdgeCase {
  std::string what;
  std::vector<std::pair<int, std::string>> lines;  // deck lines changed from the default deck
  int status;
  std::string shown;  // text the report must hold
};

// The default deck has IXL = 1, IAQ = 3 and IXA = 1; each case moves one value
// onto the edge of its check (stage only, so that any aquifer type may run).
TEST(CheckEdges, ValuesOnTheEdgeAreJudgedAsTheChecksSay) {
  const EdgeCase cases[] = {
      {"constant-head aquitard without conductivity",
       {{3, "0 0.5 1"}, {4, "1 1 1"}, {7, "0 2.0D-4 3. 0."}},
       1,
       kAquitardMessage},
      {"impervious-layer aquitard without storage",
       {{3, "0 0.5 1"}, {4, "1 2 1"}, {7, "0.01 0 3. 0."}},
       1,
       kAquitardMessage},
      {"well on the streambank", {{8, "2.5 -1.5 0."}}, 0, "RESULTS"},
      {"well on the valley wall", {{8, "1000. -1.5 0."}}, 0, "RESULTS"},
      {"the most Stehfest terms", {{9, "20"}}, 0, "RESULTS"},
      // A well so far away that every inversion term meets the cap on the head
      // exponent: a unit rise gives e^-708 times the sum of V(i)/i, the
      // inversion of 1/p, which is 1. e^-708 = 3.3075525e-308.
      {"the exponent cap",
       {{3, "0 1. 0"}, {4, "0 0 0"}, {5, "1. 0. 0. 1."}, {6, "1. 1. 1."}, {8, "10000. 0. 0."}, {10, "2"}},
       0,
       "  0.100000D+01  0.33076-307"},
  };
  for (const EdgeCase& c : cases) {
    Deck deck;
    for (const auto& [n, text] : c.lines) deck.line[static_cast<std::size_t>(n)] = text;
    TempFolder dir;
    write_file(dir / "deck.dat", deck.text());
    const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\n\n");
    const std::string report = read_file(dir / "results.txt");
    EXPECT_EQ(run.status, c.status) << c.what;
    EXPECT_NE(report.find(c.shown), std::string::npos) << c.what << "\n" << report;
  }
}

// Standard input that is a folder and a deck the system cannot read both end
// with the read diagnostic, never as if the input had simply ended.
TEST(ReadFailure, EndsWithErrorDuringRead) {
  TempFolder dir;
  const std::string command = "cd '" + dir.path() + "' && '" KESTA_BINARY "' < '" + dir.path() + "' > out 2> err";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 39) << raw;
  EXPECT_EQ(read_file(dir / "err"), "kesta: severe (39): error during read, unit -4, file stdin\n");

  // Address 0 of the program's own memory is never mapped: its first read fails.
  const RunResult deck = run_kesta(dir, "/proc/self/mem\nresults.txt\n\n");
  EXPECT_EQ(deck.status, 39);
  EXPECT_EQ(deck.err,
            "kesta: severe (39): error during read, unit 15, file /proc/self/mem\n"
            "kesta: line 1 of /proc/self/mem cannot be read: Input/output error\n");
}

// A results file named through /proc/PID/fd/N is one that program holds open:
// it is written where it is, so the holder reads the report through its own
// descriptor, rather than replaced by a new file it never sees.
TEST(HeldOpenOutput, IsWrittenInPlace) {
  TempFolder dir;
  write_file(dir / "deck.dat", Deck{}.text());
  const int fd = ::open((dir / "held.txt").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  const std::string name = "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd);
  EXPECT_EQ(run_kesta_with(dir, {"deck.dat", name}).status, 0);
  std::string start(kBannerBox.size(), ' ');
  EXPECT_EQ(::pread(fd, start.data(), start.size(), 0), static_cast<ssize_t>(start.size()));
  ::close(fd);
  EXPECT_EQ(start, kBannerBox);
}

}  // namespace
}  // namespace kesta::testing
