// Records longer than the Stehfest sum takes, through the built program: the
// step limit of each inversion, what a refused deck leaves, and the report and
// plot file of a contour run just past 99999 steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "deck_builder.hpp"
#include "report_text.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

constexpr const char* kRejected =
    "kesta: the input deck deck.dat was rejected; the reason stands at the end of results.txt";
constexpr const char* kContourRemedy = "; --inversion contour accepts up to 10000000 time steps";

// Exactly as the report prints the refusal, after the banner box.
std::string too_many_steps(const char* limit) {
  return kBannerBox +
         crlf({std::string("   NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN ") + limit + ". PROGRAM STOPPED."});
}

// A deck whose NT the reader either refuses at once or takes and then finds
// three of its lines: which of the two happens shows the limit without
// writing millions of lines.
TEST(LongRecord, EachInversionTakesUpToItsLimit) {
  const std::string taken_then_short = "kesta: severe (24): end-of-file during read, unit 15, file deck.dat\n";
  const struct {
    const char* inversion;
    const char* NT;
    int status;
    std::string err;
    std::string report;  // the whole report; "" for a deck that was taken
  } cases[] = {
      {"stehfest", "99999", 24, taken_then_short, ""},
      {"stehfest", "100000", 1, std::string(kRejected) + kContourRemedy + "\n", too_many_steps("99999")},
      {"stehfest", "10000000", 1, std::string(kRejected) + kContourRemedy + "\n", too_many_steps("99999")},
      {"stehfest", "10000001", 1, std::string(kRejected) + "\n", too_many_steps("99999")},
      {"contour", "99999", 24, taken_then_short, ""},
      {"contour", "100000", 24, taken_then_short, ""},
      {"contour", "10000000", 24, taken_then_short, ""},
      {"contour", "10000001", 1, std::string(kRejected) + "\n", too_many_steps("10000000")},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.inversion) + " NT = " + c.NT;
    TempFolder dir;
    Deck deck;
    deck.line[10] = c.NT;
    write_file(dir / "deck.dat", deck.text());
    const RunResult run = run_kesta_with(dir, {"--inversion", c.inversion, "deck.dat", "results.txt"});
    EXPECT_EQ(run.status, c.status) << what;
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << what;
    if (c.status == 1) {
      EXPECT_EQ(run.err, c.err) << what;
      EXPECT_EQ(read_file(dir / "results.txt"), c.report) << what;
    } else {
      // Taken: every time-stress line the deck holds was read before it ended.
      EXPECT_NE(run.err.find("time-stress line 4 of " + std::string(c.NT) + " (TIME  STAGE  RECH) is missing"),
                std::string::npos)
          << what << ": " << run.err;
    }
  }
}

// The dialogue runs the Stehfest sum, and says the same.
TEST(LongRecord, DialogueRunRefusesWithTheRemedy) {
  TempFolder dir;
  Deck deck;
  deck.line[10] = "100000";
  write_file(dir / "deck.dat", deck.text());
  const RunResult run = run_kesta(dir, "deck.dat\nresults.txt\n\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, std::string(kRejected) + kContourRemedy + "\n");
  EXPECT_EQ(read_file(dir / "results.txt"), too_many_steps("99999"));
}

std::size_t records(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A contour run of 100001 steps: the count widens into the blanks before it
// and ends in its usual column; the table and plot file keep their layout, one
// row per step, the last at TINIT + 100000·DELT.
TEST(LongRecord, ContourRunPastTheStehfestLimitIsReportedWhole) {
  constexpr int kSteps = 100001;
  TempFolder dir;
  Deck deck;
  deck.line[3] = "2  0.5  0";  // stress data not printed
  deck.line[10] = std::to_string(kSteps);
  deck.stress.clear();
  for (int i = 0; i < kSteps; ++i) deck.stress.push_back(i % 1000 < 500 ? "0 1.0 0.001" : "0 0.5 0.");
  write_file(dir / "deck.dat", deck.text());
  const RunResult run = run_kesta_with(dir, {"--inversion", "contour", "deck.dat", "results.txt", "plot.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const std::string report = read_file(dir / "results.txt");
  EXPECT_NE(
      report.find(crlf({"", "   NUMBER OF SPECIFIED TIME STEPS (NT):         100001", "   STRESS DATA NOT PRINTED "})),
      std::string::npos);
  const std::string dashes = "      ----         ----      ----------  ----------    -------      ------\r\n";
  const std::size_t table = report.find(dashes);
  ASSERT_NE(table, std::string::npos);
  const std::string rows = report.substr(table + dashes.size());
  EXPECT_EQ(records(rows), static_cast<std::size_t>(kSteps));
  EXPECT_EQ(rows.size(), static_cast<std::size_t>(kSteps) * 77);  // every row 75 characters and CR LF
  // TINIT = 0, DELT = 0.5: the last row at step 100001 is at T = 50000.
  EXPECT_EQ(rows.substr(rows.size() - 77, 15), "  0.500000D+05 ");

  const std::string plot = read_file(dir / "plot.txt");
  EXPECT_EQ(records(plot), static_cast<std::size_t>(kSteps) + 1);
  EXPECT_EQ(plot.substr(plot.size() - 77, 15), "  0.500000E+05 ");
}

}  // namespace
}  // namespace kesta::testing
