// What a script can rely on, through the built program: a rejected deck is not a
// success, an output file holds either its former contents or one run's whole
// output (whatever ends the run, and whoever else writes it at the same time),
// special files end the run in a defined way, and no row of a non-finite number
// is ever printed.
#include <sys/stat.h>
#include <sys/wait.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "deck_builder.hpp"
#include "report_text.hpp"
#include "run_kesta.hpp"
#include "shell_process.hpp"

namespace kesta::testing {
namespace {

using namespace std::string_literals;

const std::string kRejected =
    "kesta: the input deck deck.dat was rejected; the reason stands at the end of results.txt\n";

// Files of a folder whose names say they are unfinished outputs.
int leftovers(const TempFolder& dir) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    n += entry.path().filename().string().find(".kesta-unfinished.") != std::string::npos;
  return n;
}

// Starts kesta in `dir` with `answers` on standard input; returns its process.
pid_t start_kesta(const TempFolder& dir, const std::string& answers, const std::string& tag) {
  write_file(dir / (".answers-" + tag), answers);
  const std::string command =
      "cd '" + dir.path() + "' && exec '" KESTA_BINARY "' < .answers-" + tag + " > /dev/null 2> .err-" + tag;
  return start_shell(command);
}

// A deck of 99,999 time steps: long enough to be caught at many moments.
std::string long_deck(int stage_scale = 1) {
  Deck deck;
  deck.line[3] = "0 0.01 1";
  deck.line[10] = "99999";
  deck.stress.clear();
  for (int i = 0; i < 99999; ++i)
    deck.stress.push_back(std::to_string(i % 500) + ". " + std::to_string(i % 7 * stage_scale) + ". 0.");
  return deck.text();
}

// Every file of the folder is one the test wrote, a run's output, or an
// unfinished output named as such.
void expect_only_known_files(const TempFolder& dir, const std::vector<std::string>& known) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    const bool listed = std::find(known.begin(), known.end(), name) != known.end() || name.rfind(".answers", 0) == 0 ||
                        name.rfind(".err", 0) == 0;
    const bool unfinished = name.find(".kesta-unfinished.") != std::string::npos;
    EXPECT_TRUE(listed || unfinished) << name;
  }
}

struct RejectCase {
  std::string what;
  std::vector<std::pair<int, std::string>> lines;  // deck lines changed
  std::string message;                             // the report's last line
};

// Exit 1 and one line naming the report, for every way a deck is rejected; the
// plot file of an earlier run holds none of its rows afterwards.
TEST(RejectedDeck, ExitsOneAndLeavesNoEarlierRows) {
  const RejectCase cases[] = {
      {"a check", {{6, "10. 0. 20."}}, "      EQUAL TO ZERO. PROGRAM STOPPED."},
      {"the line error report", {{8, "100. abc 0."}}, " Check for incorrect positions or data types..."},
      {"a derived parameter that overflows",
       {{3, "0 0.5 1"}, {4, "0 0 0"}, {5, "1e300 0 0 1e300"}, {8, "2e300 0 0"}},
       "   DIMENSIONLESS TIME STEP (AK*DELT/(AS*XZERO**2)) IS NOT A FINITE NUMBER. CHECK AK, AS, XZERO AND DELT. "
       "PROGRAM STOPPED."},
  };
  for (const RejectCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    write_file(dir / "deck.dat", Deck{}.text());
    ASSERT_EQ(run_kesta(dir, "deck.dat\nresults.txt\nplot.txt\n").status, 0);
    Deck deck;
    for (const auto& [n, text] : c.lines) deck.line[static_cast<std::size_t>(n)] = text;
    write_file(dir / "deck.dat", deck.text());
    const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\nplot.txt\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, kRejected);
    const std::string report = read_file(dir / "results.txt");
    const std::string ending = c.message + "\r\n";
    ASSERT_GE(report.size(), ending.size());
    EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
    EXPECT_EQ(read_file(dir / "plot.txt"), "");
  }
}

struct NonFiniteCase {
  std::vector<std::pair<int, std::string>> lines;
  std::vector<std::string> stress;  // empty: the deck's own
  std::string what;                 // the quantity the message names
};

// Values that pass every check but overflow the model end with a message that
// names the quantity, never with a row of NaN or Infinity; the contour
// inversion ends the same way, its report differing by its line under NS alone.
TEST(RejectedDeck, NonFiniteNumbersAreNeverPrinted) {
  const NonFiniteCase cases[] = {
      {{{3, "0 0.5 1"}, {4, "0 0 0"}, {5, "1e300 0 0 1e300"}, {6, "1e300 1e-300 1e300"}, {8, "2e300 0 0"}},
       {},
       "DIMENSIONLESS TIME STEP"},
      {{{3, "2 1e-320 1"}}, {}, "DIMENSIONLESS TIME STEP"},
      {{{5, "4.9e-324 1000. 0.75 5000."}, {8, "100. 0. 0."}}, {}, "DIMENSIONLESS DISTANCE TO WELL (XD)"},
      {{{3, "0 0.5 1"}}, {"0. 0. 0.", "0.5 -1e308 0.", "1.0 1e308 0."}, "HEAD AT TIME STEP 2"},
      {{{3, "0 0.5 1"}}, {"0. 1e308 0.", "0.5 1e308 0.", "1.0 1e308 0."}, ""},  // large but finite: complete
  };
  for (const auto& [lines, stress, what] : cases) {
    Deck deck;
    for (const auto& [n, text] : lines) deck.line[static_cast<std::size_t>(n)] = text;
    if (!stress.empty()) deck.stress = stress;
    SCOPED_TRACE(lines.front().second + " / " + what);
    TempFolder dir;
    write_file(dir / "deck.dat", deck.text());
    const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\nplot.txt\n");
    const std::string report = read_file(dir / "results.txt");
    EXPECT_EQ(report.find("NaN"), std::string::npos);
    EXPECT_EQ(report.find("Inf"), std::string::npos) << report.substr(report.find("Inf") - 200, 400);
    TempFolder by_contour;
    write_file(by_contour / "deck.dat", deck.text());
    const RunResult contour =
        run_kesta_with(by_contour, {"--inversion", "contour", "deck.dat", "results.txt", "plot.txt"});
    EXPECT_EQ(contour.status, run.status);
    std::string contour_report = read_file(by_contour / "results.txt");
    const std::string contour_line = "   INVERTED BY THE CONTOUR INTEGRAL: NS IS NOT USED\r\n";
    const std::size_t line = contour_report.find(contour_line);
    ASSERT_NE(line, std::string::npos);
    if (!what.empty()) {
      EXPECT_EQ(contour.err, run.err);
      EXPECT_EQ(contour_report.erase(line, contour_line.size()), report);
    }
    if (what.empty()) {
      EXPECT_EQ(run.status, 0) << run.err;
      continue;
    }
    EXPECT_EQ(run.status, 1) << report.substr(report.size() > 600 ? report.size() - 600 : 0);
    EXPECT_NE(report.find("   " + what), std::string::npos);
    EXPECT_NE(report.find(" IS NOT A FINITE NUMBER. CHECK "), std::string::npos);
    EXPECT_EQ(read_file(dir / "plot.txt"), "");
  }
}

// Interrupted at several moments of a long run, an output holds its former
// contents; SIGINT, SIGTERM and SIGHUP leave no unfinished file, SIGKILL leaves
// ones whose names say what they are. A run let to finish replaces it whole.
TEST(Replacement, KilledRunsLeaveTheFormerFiles) {
  TempFolder dir;
  write_file(dir / "deck.dat", long_deck());
  const std::string answers = "deck.dat\nresults.txt\nplot.txt\n";
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    int interrupted = 0;  // runs the signal ended before they finished
    for (int ms : {20, 150, 300}) {
      SCOPED_TRACE("signal " + std::to_string(sig) + " after " + std::to_string(ms) + " ms");
      write_file(dir / "results.txt", "former report\r\n");
      write_file(dir / "plot.txt", "former plot\r\n");
      const pid_t pid = start_kesta(dir, answers, "k");
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      kill(pid, sig);
      const int status = wait_for(pid);
      const std::string report = read_file(dir / "results.txt");
      if (status == 0) {  // finished before the signal: the whole new report
        EXPECT_NE(report.find("RESULTS"), std::string::npos);
        continue;
      }
      ++interrupted;
      EXPECT_EQ(status, 128 + sig);
      EXPECT_EQ(report, "former report\r\n");
      EXPECT_EQ(read_file(dir / "plot.txt"), "former plot\r\n");
      if (sig != SIGKILL) {
        EXPECT_EQ(leftovers(dir), 0);
      }
      expect_only_known_files(dir, {"deck.dat", "results.txt", "plot.txt"});
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().filename().string().find(".kesta-unfinished.") != std::string::npos)
          std::filesystem::remove(entry.path());
    }
    EXPECT_GT(interrupted, 0) << "signal " << sig << " came after every run had finished";
  }
  write_file(dir / "results.txt", "former report\r\n");
  ASSERT_EQ(wait_for(start_kesta(dir, answers, "k")), 0);
  const std::string whole = read_file(dir / "results.txt");
  EXPECT_EQ(whole.rfind(kBannerBox, 0), 0u);
  EXPECT_NE(whole.find("  0.999980D+03"), std::string::npos);  // the row of the last step
}

// A symbolic link keeps pointing where it did and its target is replaced; the
// target keeps its permissions; a run that ends in the dialogue changes nothing.
TEST(Replacement, LinksPermissionsAndDialogueEnds) {
  TempFolder dir;
  write_file(dir / "deck.dat", Deck{}.text());
  std::filesystem::create_directory(dir / "kept");
  write_file(dir / "kept/report.txt", "former\r\n");
  chmod((dir / "kept/report.txt").c_str(), 0604);
  std::filesystem::create_symlink("kept/report.txt", dir / "link.txt");
  ASSERT_EQ(run_kesta(dir, "deck.dat\nlink.txt\n\n").status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
  EXPECT_EQ(std::filesystem::read_symlink(dir / "link.txt"), "kept/report.txt");
  EXPECT_EQ(read_file(dir / "kept/report.txt").rfind(kBannerBox, 0), 0u);
  struct stat info {};
  ASSERT_EQ(stat((dir / "kept/report.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0604u);

  // Ends in the dialogue: no output is created or changed.
  write_file(dir / "results.txt", "former\r\n");
  for (const std::string answers : {"deck.dat\nresults.txt\nmissing/plot.txt\n", "deck.dat\nresults.txt\n",
                                    "deck.dat\nresults.txt\nresults.txt\n", "deck.dat\nnew.txt\nmissing/plot.txt\n"}) {
    EXPECT_NE(run_kesta(dir, answers).status, 0) << answers;
    EXPECT_EQ(read_file(dir / "results.txt"), "former\r\n") << answers;
    EXPECT_FALSE(file_exists(dir / "new.txt")) << answers;
    EXPECT_EQ(leftovers(dir), 0);
  }
}

// Two runs naming the same outputs at once: each file ends up as one run's whole
// output, never a mixture.
TEST(Concurrency, TwoRunsNeverMix) {
  TempFolder dir;
  write_file(dir / "a.dat", long_deck(1));
  write_file(dir / "b.dat", long_deck(2));
  ASSERT_EQ(run_kesta(dir, "a.dat\na.txt\na-plot.txt\n").status, 0);
  ASSERT_EQ(run_kesta(dir, "b.dat\nb.txt\nb-plot.txt\n").status, 0);
  const std::string reports[] = {read_file(dir / "a.txt"), read_file(dir / "b.txt")};
  const std::string plots[] = {read_file(dir / "a-plot.txt"), read_file(dir / "b-plot.txt")};
  ASSERT_NE(reports[0], reports[1]);
  ASSERT_NE(plots[0], plots[1]);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t a = start_kesta(dir, "a.dat\nshared.txt\nshared-plot.txt\n", "a");
    const pid_t b = start_kesta(dir, "b.dat\nshared.txt\nshared-plot.txt\n", "b");
    ASSERT_EQ(wait_for(a), 0);
    ASSERT_EQ(wait_for(b), 0);
    const std::string report = read_file(dir / "shared.txt");
    const std::string plot = read_file(dir / "shared-plot.txt");
    EXPECT_TRUE(report == reports[0] || report == reports[1]);
    EXPECT_TRUE(plot == plots[0] || plot == plots[1]);
    EXPECT_EQ(leftovers(dir), 0);
  }
}

struct SpecialCase {
  std::string what;
  std::string command;  // run in the folder, with deck.dat there
  int status;
  std::string first_line;  // of standard error
};

// Devices, pipes and byte-order marks end the run in their defined way.
TEST(SpecialFiles, EndInADefinedWay) {
  const std::string kesta = "'" KESTA_BINARY "'";
  const SpecialCase cases[] = {
      {"results file is the program's standard input", "printf 'deck.dat\\n/dev/stdin\\n\\n' | " + kesta, 30,
       "kesta: severe (30): open failure, unit 16, file /dev/stdin\n"
       "kesta: the results file is the program's standard input\n"},
      {"named outputs on the null device with standard input there too (as under cron)",
       kesta + " deck.dat r.txt /dev/null < /dev/null", 0, ""},
      {"named results file that is standard input", kesta + " deck.dat /dev/stdin < deck.dat", 30,
       "kesta: severe (30): open failure, unit 16, file /dev/stdin\n"
       "kesta: the results file is the input deck\n"},
      {"deck that never ends a line", "printf '/dev/zero\\nr.txt\\n\\n' | " + kesta, 39,
       "kesta: severe (39): error during read, unit 15, file /dev/zero\n"},
      {"console that goes away", "printf 'deck.dat\\nr.txt\\n\\n' | " + kesta + " | head -c 10; exit ${PIPESTATUS[1]}",
       0, ""},
      {"plot file on a device", "printf 'deck.dat\\nr.txt\\n/dev/null\\n' | " + kesta, 0, ""},
      {"deck with a byte-order mark",
       "printf '\\357\\273\\277' > bom.dat; cat deck.dat >> bom.dat; "
       "printf 'bom.dat\\nr.txt\\n\\n' | " +
           kesta + " && grep -q '^     Leaky' r.txt",
       0, ""},
      {"name with a NUL", "printf 'deck.dat\\nab\\0cd\\n\\n' | " + kesta, 43,
       "kesta: severe (43): file name specification error, unit 16, file ab\n"},
  };
  for (const SpecialCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    write_file(dir / "deck.dat", Deck{}.text());
    write_file(dir / "case.sh", c.command + "\n");
    const std::string command = "cd '" + dir.path() + "' && bash case.sh > /dev/null 2> err.txt";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status);
    const std::string err = read_file(dir / "err.txt");
    EXPECT_EQ(err.substr(0, c.first_line.size()), c.first_line);
    if (!c.first_line.empty()) {
      EXPECT_EQ(err.back(), '\n');
    }
    if (c.status == 0 && c.what.rfind("deck with", 0) != 0) {
      EXPECT_NE(read_file(dir / "r.txt").find("RESULTS"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace kesta::testing
