// Decks and file names that users and scripts get wrong, through the built
// program: binary junk, huge lines, missing line ends, NUL bytes, very many
// lines, numbers beyond every range, folders and over-long names. Each run must
// end in its defined way, and no file but the report and the plot file named
// may change.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "deck_builder.hpp"
#include "report_text.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

using namespace std::string_literals;

const std::string kCalculating = "\r\n   Calculating aquifer responses ...\r\n\r\n";
const std::string kAskInput = "   Enter name of file containing input data:\r\n";
const std::string kDeckEnd = "kesta: severe (24): end-of-file during read, unit 15, file deck.dat\n";
constexpr std::size_t kTenMegabytes = 10u << 20;

// Every file of a folder with its bytes; a folder shows as "<folder>".
std::map<std::string, std::string> files_in(const TempFolder& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    files[entry.path().filename().string()] = entry.is_directory() ? "<folder>" : read_file(entry.path().string());
  return files;
}

// No file but those the run was asked to write was changed, removed or added.
void expect_only_written(const TempFolder& dir, const std::map<std::string, std::string>& before,
                         const std::set<std::string>& written) {
  const auto after = files_in(dir);
  for (const auto& [name, bytes] : before) {
    if (written.count(name)) continue;
    const auto now = after.find(name);
    ASSERT_NE(now, after.end()) << name << " was removed";
    EXPECT_TRUE(now->second == bytes) << name << " was changed";
  }
  for (const auto& [name, bytes] : after)
    EXPECT_TRUE(before.count(name) || written.count(name)) << name << " was created";
}

struct DeckRun {
  RunResult result;
  std::string report;
};

// One run on a deck, beside a file that no run may touch.
DeckRun run_deck(const std::string& deck_text) {
  TempFolder dir;
  write_file(dir / "deck.dat", deck_text);
  write_file(dir / "bystander.txt", "a file of the user's\r\n");
  const auto before = files_in(dir);
  DeckRun run;
  run.result = run_kesta(dir, "deck.dat\nresults.txt\n\n");
  run.report = read_file(dir / "results.txt");
  expect_only_written(dir, before, {"results.txt"});
  return run;
}

std::string i5(int n) {
  const std::string digits = std::to_string(n);
  return std::string(5 - digits.size(), ' ') + digits;
}

// The whole report of a run stopped by an unreadable line.
std::string line_error_report(int NLINE, const std::string& LINE) {
  const std::map<int, std::string> label = {
      {3, " ISTRESS  DELT  IPRINT"}, {4, " IXL  IAQ  IXA"}, {5, " XZERO  XLL  XAA  XSTREAM"}, {9, " NS"}, {10, " NT"},
      {11, " TIME-STRESS DATA"}};
  return kBannerBox + crlf({" Aborting due to error in line from input file:  " + i5(NLINE), padded(LINE, 80),
                            " While attempting to read variables" + padded(label.at(NLINE), 40),
                            " Check for incorrect positions or data types..."});
}

void expect_line_error(const DeckRun& run, int NLINE, const std::string& LINE) {
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(run.result.err,
            "kesta: the input deck deck.dat was rejected; the reason stands at the end of results.txt\n");
  EXPECT_EQ(run.result.out.find("Calculating"), std::string::npos);
  EXPECT_TRUE(run.report == line_error_report(NLINE, LINE)) << run.report.substr(kBannerBox.size(), 400);
}

// The fixed first line of the diagnostic; the second names the deck line.
void expect_deck_end(const DeckRun& run, const std::string& diagnostic = kDeckEnd) {
  EXPECT_EQ(run.result.status, 24);
  EXPECT_EQ(run.result.err.substr(0, diagnostic.size()), diagnostic);
  EXPECT_EQ(std::count(run.result.err.begin(), run.result.err.end(), '\n'), 2) << run.result.err;
  EXPECT_EQ(run.report, kBannerBox);
}

// A run that read the whole deck, passed every check and went on to the results.
void expect_complete(const DeckRun& run) {
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.err, "");
  ASSERT_GE(run.result.out.size(), kCalculating.size());
  EXPECT_EQ(run.result.out.substr(run.result.out.size() - kCalculating.size()), kCalculating);
  EXPECT_EQ(run.report.rfind(kBannerBox, 0), 0u);
  EXPECT_NE(run.report.find("                    SUMMARY OF STRESS DATA\r\n"), std::string::npos);
  EXPECT_EQ(run.report.find("Aborting"), std::string::npos);
  EXPECT_EQ(run.report.find("PROGRAM STOPPED"), std::string::npos);
}

// Bytes of every value but the line feed, the same on every run.
std::string junk(std::size_t n, unsigned seed) {
  std::string bytes;
  for (std::size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    const char c = static_cast<char>(seed >> 16);
    bytes += c == '\n' ? '\x7f' : c;
  }
  return bytes;
}

TEST(HostileDeck, BinaryJunk) {
  // Junk titles are taken as they are; junk where numbers stand is a line error.
  const std::string line3 = "\x01"s + junk(199, 3);
  expect_line_error(run_deck(junk(300, 1) + "\n" + junk(300, 2) + "\n" + line3 + "\n" + junk(5000, 4)), 3,
                    line3.substr(0, 80));
  // Without any line feed the whole file is line 1, and the deck ends there.
  expect_deck_end(run_deck(junk(100000, 5)));
}

TEST(HostileDeck, TenMegabyteLines) {
  Deck long_title;  // a title is its first 70 characters; values past column 80 are never seen
  long_title.line[1] = std::string(kTenMegabytes, 'T');
  long_title.line[6] = "10.  1.0E-5  20.  " + std::string(kTenMegabytes, 'x');
  const DeckRun run = run_deck(long_title.text());
  expect_complete(run);
  EXPECT_NE(run.report.find("     " + std::string(70, 'T') + "\r\n"), std::string::npos);
  EXPECT_NE(run.report.find("   SATURATED THICKNESS (AB):            0.200D+02"), std::string::npos);

  Deck digits;  // 80 digits of the line are one number, far beyond an integer's range
  digits.line[9] = std::string(kTenMegabytes, '1');
  expect_line_error(run_deck(digits.text()), 9, std::string(80, '1'));
}

TEST(HostileDeck, LastLineWithoutLineFeed) {
  const std::string deck = Deck{}.text();
  const std::string without_lf = deck.substr(0, deck.size() - 1);
  expect_complete(run_deck(without_lf));
  expect_complete(run_deck(without_lf + "\r"));

  Deck no_stress;  // NT = 0: line 10 is the last line needed
  no_stress.line[10] = "0";
  no_stress.stress.clear();
  const std::string ten_lines = no_stress.text();
  expect_complete(run_deck(ten_lines.substr(0, ten_lines.size() - 1)));

  // Lines ended by carriage returns alone are one long line: the deck ends after it.
  std::string cr_only = deck;
  for (char& c : cr_only)
    if (c == '\n') c = '\r';
  expect_deck_end(run_deck(cr_only));
}

TEST(HostileDeck, NulBytes) {
  Deck title;  // a title keeps its bytes, NULs included
  title.line[1] = "Title\0with\0NULs"s;
  const DeckRun run = run_deck(title.text());
  expect_complete(run);
  EXPECT_NE(run.report.find("     " + padded("Title\0with\0NULs"s, 70) + "\r\n"), std::string::npos);

  Deck in_value;  // a NUL is no separator: "1\0" is not a number
  in_value.line[4] = "1\0 3 1"s;
  expect_line_error(run_deck(in_value.text()), 4, "1\0 3 1"s);

  Deck only_nuls;  // nor a blank: a line of NULs is not an empty line
  only_nuls.line[3] = std::string(120, '\0');
  expect_line_error(run_deck(only_nuls.text()), 3, std::string(80, '\0'));
}

TEST(HostileDeck, NinetyNineThousandLines) {
  std::string garbage;
  for (int i = 1; i <= 99999; ++i) garbage += "garbage line " + std::to_string(i) + "\n";
  expect_line_error(run_deck(garbage), 3, "garbage line 3");

  Deck all_read;  // every one of 99999 time-stress lines is read before the last one fails
  all_read.line[3] = "0 0.5 0";
  all_read.line[10] = "99999";
  all_read.stress.assign(99998, "1.0 2.0 0.0");
  Deck one_short = all_read;
  all_read.stress.push_back("1.0 2.0 junk");
  expect_line_error(run_deck(all_read.text()), 11, "1.0 2.0 junk");
  expect_deck_end(run_deck(one_short.text()));
}

struct NumberCase {
  int line;
  std::string text;
  std::string ending;  // the end of the report; empty for a line error report
};

TEST(HostileDeck, NumbersBeyondEveryRange) {
  const NumberCase cases[] = {
      {5, "1e400 1000. 0.75 5000.", ""},  // beyond the largest double
      {5, "2.5 1000. 0.75 -1D999", ""},
      {10, "99999999999", ""},  // beyond a 32-bit integer
      {4, "-99999999999 3 1", ""},
      {9, "2147483648", ""},
      {5, "1e-400 1000. 0.75 5000.",  // below the smallest double: zero
       crlf({"   STREAM HALF WIDTH (XZERO):           0.000D+00 (units of length)",
             "   STREAM HALF WIDTH (XZERO) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED"})},
      {10, "2147483647",
       kBannerBox + crlf({"   NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED."})},
  };
  for (const NumberCase& c : cases) {
    Deck deck;
    deck.line[static_cast<std::size_t>(c.line)] = c.text;
    SCOPED_TRACE("line " + std::to_string(c.line) + ": " + c.text);
    const DeckRun run = run_deck(deck.text());
    if (c.ending.empty()) {
      expect_line_error(run, c.line, c.text);
      continue;
    }
    EXPECT_EQ(run.result.status, 1);
    ASSERT_GE(run.report.size(), c.ending.size());
    EXPECT_EQ(run.report.substr(run.report.size() - c.ending.size()), c.ending);
  }

  Deck lowest;  // the lowest integer is a count of no time steps; I5 cannot show it
  lowest.line[10] = "-2147483648";
  const DeckRun no_steps = run_deck(lowest.text());
  expect_complete(no_steps);
  EXPECT_NE(no_steps.report.find("   NUMBER OF SPECIFIED TIME STEPS (NT):          *****\r\n"), std::string::npos);

  Deck huge;  // the largest doubles pass the checks, but a total seepage overflows: no row of Infinity
  huge.line[5] = "2.5 1000. 0.75 1.7976931348623157E308";
  huge.line[8] = "999.99999999999 -1.7976931348623157D+308 -1E300";
  const DeckRun run = run_deck(huge.text());
  EXPECT_EQ(run.result.status, 1);
  EXPECT_NE(run.report.find("   LENGTH OF STREAM (XSTREAM):          0.180+309"), std::string::npos);
  EXPECT_NE(run.report.find("   TOTAL SEEPAGE AT TIME STEP 2 IS NOT A FINITE NUMBER."), std::string::npos);
  EXPECT_EQ(run.report.find("Inf"), std::string::npos);
}

struct NameCase {
  std::string what;
  std::string answers;
  int status;
  std::string diagnostic;
  std::set<std::string> written;  // files the run may create or replace
};

TEST(HostileNames, FoldersAndFilesThatCannotBeWhatTheyAreNamedFor) {
  const std::string fifty(50, 'n');
  const std::string fifty_one = fifty + "1";
  const std::string too_long(300, 'n');  // longer than any file system's names
  const NameCase cases[] = {
      {"deck is a folder",
       "folder\nresults.txt\n\n",
       30,
       "kesta: severe (30): open failure, unit 15, file folder\nkesta: the input deck is a folder, not a file\n",
       {}},
      {"results file is a folder",
       "deck.dat\nfolder\n\n",
       30,
       "kesta: severe (30): open failure, unit 16, file folder\nkesta: Is a directory\n",
       {}},
      {"plot file is a folder",
       "deck.dat\nresults.txt\nfolder\n",
       30,
       "kesta: severe (30): open failure, unit 17, file folder\nkesta: Is a directory\n",
       {}},
      {"deck name longer than the system accepts",
       too_long + "\nresults.txt\n\n",
       43,
       "kesta: severe (43): file name specification error, unit 15, file " + too_long + "\n",
       {}},
      {"results name longer than the system accepts",
       "deck.dat\n" + too_long + "\n\n",
       43,
       "kesta: severe (43): file name specification error, unit 16, file " + too_long + "\n",
       {}},
      {"deck also named as the plot file",
       "deck.dat\nresults.txt\nhard-link.dat\n",
       30,
       "kesta: severe (30): open failure, unit 17, file hard-link.dat\nkesta: the plot file is the input deck\n",
       {}},
      {"former results also named as the plot file",
       "deck.dat\nformer.txt\nformer-link.txt\n",
       30,
       "kesta: severe (30): open failure, unit 17, file former-link.txt\nkesta: the plot file is the results file\n",
       {}},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    std::filesystem::create_directory(dir / "folder");
    write_file(dir / "deck.dat", Deck{}.text());
    std::filesystem::create_hard_link(dir / "deck.dat", dir / "hard-link.dat");
    write_file(dir / "former.txt", "results of an earlier run\n");
    std::filesystem::create_hard_link(dir / "former.txt", dir / "former-link.txt");
    write_file(dir / fifty_one, Deck{}.text());
    const auto before = files_in(dir);
    const RunResult run = run_kesta(dir, c.answers);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.diagnostic);
    expect_only_written(dir, before, c.written);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
  }
}

// A device is written where it is, not replaced: a second name for the
// results device (a hard link to it) is still the results file. Making a
// device takes root; elsewhere the test has nothing to make.
TEST(HostileNames, SecondNameOfTheResultsDeviceIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a device needs root";
  TempFolder dir;
  write_file(dir / "deck.dat", Deck{}.text());
  ASSERT_EQ(::mknod((dir / "sink").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);  // as /dev/null
  std::filesystem::create_hard_link(dir / "sink", dir / "sink-link");
  const RunResult run = run_kesta(dir, "deck.dat\nsink\nsink-link\n");
  EXPECT_EQ(run.status, 30);
  EXPECT_EQ(run.err,
            "kesta: severe (30): open failure, unit 17, file sink-link\nkesta: the plot file is the results file\n");
}

TEST(HostileNames, LongNamesAreUsedWhole) {
  const std::string fifty(50, 'n');
  TempFolder dir;
  write_file(dir / fifty, Deck{}.text());
  write_file(dir / (fifty + ".bak"), "an older report\r\n");
  const auto before = files_in(dir);
  // A report name of 57 characters is the whole name, not its first 50.
  const RunResult deck_run = run_kesta(dir, fifty + "\nreport-" + fifty + "\n\n");
  EXPECT_EQ(deck_run.status, 0) << deck_run.err;
  const std::string report_name = "report-" + fifty;
  expect_only_written(dir, before, {report_name});
  EXPECT_EQ(read_file(dir / report_name).rfind(kBannerBox, 0), 0u);

  // A report name of 54 characters whose first 50 are the deck's names another
  // file: that one is replaced, the deck stays.
  const RunResult beside_deck = run_kesta(dir, fifty + "\n" + fifty + ".bak\n\n");
  EXPECT_EQ(beside_deck.status, 0) << beside_deck.err;
  EXPECT_EQ(read_file(dir / fifty), Deck{}.text());
  EXPECT_EQ(read_file(dir / (fifty + ".bak")), read_file(dir / report_name));

  // An absolute deck path far beyond 50 characters.
  const std::string deep = dir / (std::string(60, 'f') + "/deck.dat");
  std::filesystem::create_directory(dir / std::string(60, 'f'));
  write_file(deep, Deck{}.text());
  const RunResult absolute = run_kesta(dir, deep + "\nresults.txt\n\n");
  EXPECT_EQ(absolute.status, 0) << absolute.err;
}

TEST(HostileNames, DeckNamedAsPlotFileByItsFullPath) {
  TempFolder dir;
  write_file(dir / "deck.dat", Deck{}.text());
  write_file(dir / "results.txt", "an earlier report\r\n");
  const auto before = files_in(dir);
  const std::string full = dir / "deck.dat";
  ASSERT_LE(full.size(), 50u);
  const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\n" + full + "\n");
  EXPECT_EQ(run.status, 30);
  EXPECT_EQ(run.err,
            "kesta: severe (30): open failure, unit 17, file " + full + "\nkesta: the plot file is the input deck\n");
  expect_only_written(dir, before, {});  // the earlier report too keeps its contents
}

}  // namespace
}  // namespace kesta::testing
