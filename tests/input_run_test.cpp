// The input phase through the built program: the report head, every check's
// message, the line error report and the end-of-file cases.
#include <gtest/gtest.h>

#include "deck_builder.hpp"
#include "report_text.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

// The summary of the default deck, every line from its layout: IPRINT = 1,
// finite width, streambank, water-table aquitard, stage and recharge.
const std::string kSummary = crlf({
    "     " + padded("Leaky aquifer under a water-table aquitard", 70),
    "     " + padded("Stage and recharge, finite width, streambank", 70),
    "",
    "",
    "                    SUMMARY OF INPUT DATA",
    "                    ---------------------",
    "",
    "   STRESS TYPE (ISTRESS):               2 (stream-stage and recharge/leakage)",
    "   TIME-STEP SIZE (DELT):               0.500D+00 (units of time)",
    "   PRINTING CODE (IPRINT):              1 (stress data printed)",
    "",
    " AQUIFER AND STREAMBANK CHARACTERISTICS (INPUT LINES 4 AND 5)",
    "   AQUIFER EXTENT (IXL):                1 (finite width)",
    "   AQUIFER TYPE (IAQ):                  3 (leaky, with water-table aquitard)",
    "   STREAMBANK CODE (IXA):               1 (semipervious streambank simulated)",
    "   STREAM HALF WIDTH (XZERO):           0.250D+01 (units of length)",
    "   WIDTH OF AQUIFER (XLL):              0.100D+04 (units of length)",
    "   STREAMBANK LEAKANCE (XAA):           0.750D+00 (units of length)",
    "   LENGTH OF STREAM (XSTREAM):          0.500D+04 (units of length)",
    "",
    " AQUIFER PROPERTIES (INPUT LINE 6) ",
    "   HYDRAULIC CONDUCTIVITY (AK):         0.100D+02 (units of length per time)",
    "   SPECIFIC STORAGE (AS):               0.100D-04 (units of inverse length)",
    "   SATURATED THICKNESS (AB):            0.200D+02 (units of length)",
    "",
    " AQUITARD PROPERTIES (INPUT LINE 7) ",
    "   HYDRAULIC CONDUCTIVITY (AKT):        0.100D-01 (units of length per time)",
    "   SPECIFIC STORAGE (AST):              0.200D-03 (units of inverse length)",
    "   SATURATED THICKNESS (ABT):           0.300D+01 (units of length)",
    "   SPECIFIC YIELD (ASYT):               0.200D+00 (dimensionless)",
    "",
    " OBSERVATION WELL DATA AND INITIAL CONDITIONS (INPUT LINE 8)",
    "   DISTANCE TO OBSERVATION WELL (X):  0.100D+03 (units of length)",
    "   INITIAL HEAD AT WELL (HINIT):     -0.150D+01 (units of length)",
    "   START TIME OF SIMULATION (TINIT):  0.000D+00 (units of time)",
    "",
    " PROGRAM SOLUTION VARIABLES (INPUT LINE 9) ",
    "   NUMBER OF STEHFEST TERMS (NS):                16",
    "",
    "",
    "                    SUMMARY OF STRESS DATA",
    "                    ----------------------",
    "",
    "   NUMBER OF SPECIFIED TIME STEPS (NT):              3",
    "",
    "          TIME        STAGE         RECH",
    "          ----        -----         ----",
    "       0.0000D+00   0.0000D+00   0.0000D+00",
    "       0.5000D+00   0.1000D+01   0.1000D-02",
    "       0.1000D+01   0.1250D+01   0.0000D+00",
});

struct DeckRun {
  RunResult result;
  std::string report;
};

DeckRun run_deck(const std::string& deck_text) {
  TempFolder dir;
  write_file(dir / "deck.dat", deck_text);
  DeckRun run;
  run.result = run_kesta(dir, "deck.dat\nresults.txt\n\n");
  run.report = read_file(dir / "results.txt");
  return run;
}

// What a rejected deck leaves: exit 1, one line on standard error that points to
// the report, and the report ending with the message.
void expect_stopped_with(const DeckRun& run, const std::string& ending) {
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(run.result.err,
            "kesta: the input deck deck.dat was rejected; the reason stands at the end of results.txt\n");
  EXPECT_EQ(run.result.out.find("Calculating"), std::string::npos);
  ASSERT_GE(run.report.size(), ending.size());
  EXPECT_EQ(run.report.substr(run.report.size() - ending.size()), ending) << run.report;
}

TEST(InputSummary, WholeHeadOfTheReport) {
  const DeckRun run = run_deck(Deck{}.text());
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.report.substr(0, kBannerBox.size() + kSummary.size()), kBannerBox + kSummary);
}

TEST(InputSummary, StressDataNotPrinted) {
  Deck deck;
  deck.line[3] = "2 0.5 0";
  const DeckRun run = run_deck(deck.text());
  const std::string expected =
      crlf({"   NUMBER OF SPECIFIED TIME STEPS (NT):              3", "   STRESS DATA NOT PRINTED "});
  EXPECT_NE(run.report.find(expected), std::string::npos);
  EXPECT_EQ(run.report.find("TIME        STAGE"), std::string::npos);
}

TEST(InputSummary, MissingPrintingCodeMeansNotPrinted) {
  for (const char* line3 : {"2 0.5 /", "2 0.5,,", "2, 0.5, , 9"}) {
    Deck deck;
    deck.line[3] = line3;
    const DeckRun run = run_deck(deck.text());
    EXPECT_NE(run.report.find("   PRINTING CODE (IPRINT):              0 (stress data not printed)\r\n"),
              std::string::npos)
        << line3;
  }
}

struct StopCase {
  int line;
  std::string text;
  std::vector<std::string> ending;  // the last echo line(s) and the message
  std::string line3 = "2  0.5  1";  // stage only, where a recharge stress would stop the run first
};

// Every check, from a deck that is valid up to the failing value.
TEST(InputSummary, EveryCheckStopsWithItsMessage) {
  const StopCase cases[] = {
      {3,
       "3 0.5 1",
       {"                    ---------------------", "", "   ISTRESS NOT EQUAL TO 0, 1, OR 2. PROGRAM STOPPED"}},
      {3, "-1 0.5 1", {"", "   ISTRESS NOT EQUAL TO 0, 1, OR 2. PROGRAM STOPPED"}},
      {4,
       "1 2 1",
       {"   STRESS TYPE (ISTRESS):               2 (stream-stage and recharge/leakage)", "",
        "   ISTRESS EQUALS 1 OR 2 (RECHARGE) AND AQUIFER IS NOT LEAKY WITH WATER-TABLE",
        "   AQUITARD. RECHARGE IS SIMULATED ONLY WHEN A WATER TABLE IS PRESENT.", "   PROGRAM STOPPED."}},
      {3,
       "2 0.0 1",
       {"   TIME-STEP SIZE (DELT):               0.000D+00 (units of time)",
        "   TIME-STEP SIZE (DELT) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED."}},
      {3,
       "2 0.5 2",
       {"   TIME-STEP SIZE (DELT):               0.500D+00 (units of time)",
        "   PRINTING CODE (IPRINT) IS INVALID. PROGRAM STOPPED."}},
      {3, "2 0.5 -1", {"(units of time)", "   PRINTING CODE (IPRINT) IS INVALID. PROGRAM STOPPED."}},
      {4,
       "2 3 1",
       {" AQUIFER AND STREAMBANK CHARACTERISTICS (INPUT LINES 4 AND 5)",
        "   AQUIFER EXTENT (IXL) IS INVALID. PROGRAM STOPPED."}},
      {4, "-1 3 1", {"(INPUT LINES 4 AND 5)", "   AQUIFER EXTENT (IXL) IS INVALID. PROGRAM STOPPED."}},
      {4, "1 -3 1", {"(finite width)", "   AQUIFER TYPE (IAQ) IS INVALID. PROGRAM STOPPED."}, "0 0.5 1"},
      {4, "1 4 1", {"(finite width)", "   AQUIFER TYPE (IAQ) IS INVALID. PROGRAM STOPPED."}, "0 0.5 1"},
      {4,
       "1 3 2",
       {"   AQUIFER TYPE (IAQ):                  3 (leaky, with water-table aquitard)",
        "   STREAMBANK CODE (IXA) INVALID. PROGRAM STOPPED."}},
      {4, "1 3 -1", {"(leaky, with water-table aquitard)", "   STREAMBANK CODE (IXA) INVALID. PROGRAM STOPPED."}},
      {5,
       "0 1000 0.75 5000",
       {"   STREAM HALF WIDTH (XZERO):           0.000D+00 (units of length)",
        "   STREAM HALF WIDTH (XZERO) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED"}},
      {5,
       "2.5 -1000 0.75 5000",
       {"   WIDTH OF AQUIFER (XLL):             -0.100D+04 (units of length)",
        "   AQUIFER WIDTH (XLL) LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED."}},
      {5,
       "2.5 2.5 0.75 5000",
       {"   WIDTH OF AQUIFER (XLL):              0.250D+01 (units of length)",
        "   AQUIFER WIDTH (XLL) IS NOT GREATER THAN THE STREAM HALF WIDTH (XZERO). PROGRAM STOPPED."}},
      {5,
       "2.5 1000 0 5000",
       {"   STREAMBANK LEAKANCE (XAA):           0.000D+00 (units of length)",
        "   STREAMBANK LEAKANCE (XAA) LESS THAN OR EQUAL TO ZERO.", "      PROGRAM STOPPED."}},
      {5,
       "2.5 1000 0.75 0",
       {"   LENGTH OF STREAM (XSTREAM):          0.000D+00 (units of length)",
        "   STREAM LENGTH (XSTREAM) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED."}},
      {6,
       "0 0 20",
       {"   HYDRAULIC CONDUCTIVITY (AK):         0.000D+00 (units of length per time)",
        "   SPECIFIC STORAGE (AS):               0.000D+00 (units of inverse length)",
        "   SATURATED THICKNESS (AB):            0.200D+02 (units of length)",
        "   A HYDRAULIC PROPERTY OF THE AQUIFER (INPUT LINE 6) IS LESS THAN OR",
        "      EQUAL TO ZERO. PROGRAM STOPPED."}},
      {6,
       "10 1e-5 -20",
       {"(units of length)", "   A HYDRAULIC PROPERTY OF THE AQUIFER (INPUT LINE 6) IS LESS THAN OR",
        "      EQUAL TO ZERO. PROGRAM STOPPED."}},
      {7,
       "0.01 0 3 0.2",
       {"   SPECIFIC YIELD (ASYT):               0.200D+00 (dimensionless)",
        "   A HYDRAULIC PROPERTY OF THE AQUITARD (INPUT LINE 7) IS LESS THAN OR",
        "      EQUAL TO ZERO. PROGRAM STOPPED."}},
      {7,
       "0.01 2e-4 3 0",
       {"   SPECIFIC YIELD (ASYT):               0.000D+00 (dimensionless)",
        "   SPECIFIC YIELD OF THE AQUITARD (ASYT) IS LESS THAN OR EQUAL", "      TO ZERO. PROGRAM STOPPED."}},
      {8,
       "2.0 -1.5 0",
       {"   DISTANCE TO OBSERVATION WELL (X):  0.200D+01 (units of length)",
        "   OBSERVATION WELL (X) LIES INSIDE THE STREAM (X LESS THAN XZERO). PROGRAM STOPPED."}},
      {8,
       "1000.5 -1.5 0",
       {"   DISTANCE TO OBSERVATION WELL (X):  0.100D+04 (units of length)",
        "   OBSERVATION WELL (X) LIES BEYOND THE AQUIFER WIDTH (XLL). PROGRAM STOPPED."}},
      {9,
       "21",
       {"   NUMBER OF STEHFEST TERMS (NS):                21",
        "   NUMBER OF STEHFEST TERMS (NS) IS NOT FROM 2 TO 20. PROGRAM STOPPED."}},
      {9,
       "1",
       {"   NUMBER OF STEHFEST TERMS (NS):                 1",
        "   NUMBER OF STEHFEST TERMS (NS) IS NOT FROM 2 TO 20. PROGRAM STOPPED."}},
  };
  for (const StopCase& c : cases) {
    Deck deck;
    deck.line[3] = c.line3;
    deck.line[static_cast<std::size_t>(c.line)] = c.text;
    SCOPED_TRACE("line " + std::to_string(c.line) + ": " + c.text);
    expect_stopped_with(run_deck(deck.text()), crlf(c.ending));
  }
}

// A deck that fails two neighbouring checks stops at the earlier one exactly
// as a deck failing that one alone: the checks run in one order. (The aquitard's
// two checks both follow the echo of all its values, so a second fault there
// shows in the echo.)
TEST(InputSummary, TwoFaultsStopAtTheEarlierCheck) {
  using Lines = std::vector<std::pair<int, std::string>>;
  const struct {
    Lines earlier, both;
  } cases[] = {
      {{{3, "1 0.5 1"}, {4, "1 2 1"}}, {{3, "1 0 1"}, {4, "1 2 1"}}},          // recharge, DELT
      {{{3, "2 0 1"}}, {{3, "2 0 2"}}},                                        // DELT, IPRINT
      {{{3, "2 0.5 2"}}, {{3, "2 0.5 2"}, {4, "2 3 1"}}},                      // IPRINT, IXL
      {{{3, "0 0.5 1"}, {4, "2 3 1"}}, {{3, "0 0.5 1"}, {4, "2 7 1"}}},        // IXL, IAQ
      {{{3, "0 0.5 1"}, {4, "1 7 1"}}, {{3, "0 0.5 1"}, {4, "1 7 2"}}},        // IAQ, IXA
      {{{4, "1 3 2"}}, {{4, "1 3 2"}, {5, "0 1000 0.75 5000"}}},               // IXA, XZERO
      {{{5, "0 1000 0.75 5000"}}, {{5, "0 -1000 0.75 5000"}}},                 // XZERO, XLL
      {{{5, "2.5 2.5 0.75 5000"}}, {{5, "2.5 2.5 0 5000"}}},                   // XLL beyond XZERO, XAA
      {{{5, "2.5 1000 0 5000"}}, {{5, "2.5 1000 0 0"}}},                       // XAA, XSTREAM
      {{{5, "2.5 1000 0.75 0"}}, {{5, "2.5 1000 0.75 0"}, {6, "0 1e-5 20"}}},  // XSTREAM, AK
      {{{6, "0 1e-5 20"}}, {{6, "0 1e-5 20"}, {7, "0 2e-4 3 0.2"}}},           // AK, AKT
      {{{7, "0.01 2e-4 3 0"}}, {{7, "0.01 2e-4 3 0"}, {8, "2.0 -1.5 0"}}},     // ASYT, X
      {{{8, "1000.5 -1.5 0"}}, {{8, "1000.5 -1.5 0"}, {9, "1"}}},              // X beyond XLL, NS
  };
  for (const auto& c : cases) {
    Deck earlier, both;
    for (const auto& [line, text] : c.earlier) earlier.line[static_cast<std::size_t>(line)] = text;
    for (const auto& [line, text] : c.both) both.line[static_cast<std::size_t>(line)] = text;
    SCOPED_TRACE(both.text());
    const DeckRun alone = run_deck(earlier.text());
    ASSERT_EQ(alone.result.status, 1) << alone.report;
    EXPECT_EQ(run_deck(both.text()).report, alone.report);
  }
}

// Where the checks meet and where they deliberately let a deck through.
TEST(InputSummary, OrderAndAcceptedEdgeCases) {
  Deck cross;
  cross.line[3] = "1 0.5 1";
  cross.line[4] = "1 9 1";
  expect_stopped_with(run_deck(cross.text()), crlf({"   PROGRAM STOPPED."}));

  Deck leaky;  // specific yield is checked for a water-table aquitard only
  leaky.line[3] = "0 0.5 1";
  leaky.line[4] = "1 1 1";
  leaky.line[7] = "0.01 2e-4 3 0";
  DeckRun run = run_deck(leaky.text());
  EXPECT_NE(run.report.find("   NUMBER OF SPECIFIED TIME STEPS (NT):"), std::string::npos);

  Deck semi;  // no width line and no leakance line when the codes switch them off
  semi.line[3] = "0 0.5 1";
  semi.line[4] = "0 0 0";
  semi.line[5] = "2.5 0 0 5000";
  semi.line[7] = "0 0 0 0";
  run = run_deck(semi.text());
  EXPECT_EQ(run.report.find("WIDTH OF AQUIFER (XLL)"), std::string::npos);
  EXPECT_EQ(run.report.find("STREAMBANK LEAKANCE (XAA)"), std::string::npos);
  EXPECT_NE(run.report.find("   HYDRAULIC CONDUCTIVITY (AKT):        0.000D+00"), std::string::npos);
  EXPECT_NE(run.report.find("   NUMBER OF SPECIFIED TIME STEPS (NT):"), std::string::npos);
}

TEST(DeckReader, LineErrorReport) {
  const std::string label6 = padded(" AK  AS  AB", 40);
  const std::string label11 = padded(" TIME-STRESS DATA", 40);
  Deck bad6;
  bad6.line[6] = "10. abc 20.";
  expect_stopped_with(run_deck(bad6.text()),
                      kBannerBox + crlf({" Aborting due to error in line from input file:      6",
                                         padded("10. abc 20.", 80), " While attempting to read variables" + label6,
                                         " Check for incorrect positions or data types..."}));
  Deck bad_stress;
  bad_stress.stress[2] = "1.0 1.25 O.5";
  expect_stopped_with(run_deck(bad_stress.text()),
                      kBannerBox + crlf({" Aborting due to error in line from input file:     11",
                                         padded("1.0 1.25 O.5", 80), " While attempting to read variables" + label11,
                                         " Check for incorrect positions or data types..."}));
}

TEST(DeckReader, RunningOutEndsWithTheEndOfFileDiagnostic) {
  const std::string internal =
      "kesta: severe (24): end-of-file during read, unit -5, file Internal List-Directed Read\n";
  const std::string deck_end = "kesta: severe (24): end-of-file during read, unit 15, file deck.dat\n";
  Deck three_numbers;
  three_numbers.line[5] = "2.5 1000. 0.75";
  Deck empty_line9;
  empty_line9.line[9] = "";
  Deck short_file;  // NT = 3 with only two time-stress lines
  short_file.stress.pop_back();
  Deck no_stress;
  no_stress.stress.clear();
  // The fixed first line, then a line that names the deck line and its values.
  const std::pair<Deck, std::string> cases[] = {
      {three_numbers, internal + "kesta: line 5 of deck.dat (XZERO  XLL  XAA  XSTREAM) has too few values\n"},
      {empty_line9, internal + "kesta: line 9 of deck.dat (NS) has too few values\n"},
      {short_file,
       deck_end + "kesta: deck.dat ends after line 12; time-stress line 3 of 3 (TIME  STAGE  RECH) is missing\n"},
      {no_stress,
       deck_end + "kesta: deck.dat ends after line 10; time-stress line 1 of 3 (TIME  STAGE  RECH) is missing\n"}};
  for (const auto& [deck, diagnostic] : cases) {
    const DeckRun run = run_deck(deck.text());
    EXPECT_EQ(run.result.status, 24);
    EXPECT_EQ(run.result.err, diagnostic);
    EXPECT_EQ(run.report, kBannerBox);
  }
  const DeckRun nine_lines = run_deck("title\ntitle\n0 1 0\n0 0 0\n1 0 0 1\n1 1 1\n0 0 0 0\n2 0 0\n10\n");
  EXPECT_EQ(nine_lines.result.status, 24);
  EXPECT_EQ(nine_lines.result.err, deck_end + "kesta: deck.dat ends after line 9; line 10 (NT) is missing\n");
}

TEST(DeckReader, ListReadingRulesOnDeckLines) {
  Deck slash5;  // three numbers and a slash: XSTREAM keeps zero and its check stops the run
  slash5.line[5] = "2.5 1000. 0.75 /";
  expect_stopped_with(run_deck(slash5.text()),
                      crlf({"   LENGTH OF STREAM (XSTREAM):          0.000D+00 (units of length)",
                            "   STREAM LENGTH (XSTREAM) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED."}));

  Deck extra;  // values beyond those needed are ignored; a value past column 80 is not seen
  extra.line[4] = "1 3 1 7 and more";
  extra.line[9] = std::string(80, ' ') + "16";
  extra.line[1] = std::string(70, 'T') + "CUT";
  extra.line[10] = "3,";
  const DeckRun run = run_deck(extra.text());
  EXPECT_EQ(run.result.status, 24);  // line 9 holds only blanks within its 80 columns
  EXPECT_EQ(run.report, kBannerBox);

  extra.line[9] = std::string(78, ' ') + "16";
  const DeckRun ok = run_deck(extra.text());
  EXPECT_EQ(ok.result.status, 0);
  EXPECT_NE(ok.report.find("     " + std::string(70, 'T') + "\r\n"), std::string::npos);
  EXPECT_NE(ok.report.find("   AQUIFER TYPE (IAQ):                  3"), std::string::npos);
  EXPECT_NE(ok.report.find("   NUMBER OF STEHFEST TERMS (NS):                16"), std::string::npos);
}

TEST(DeckReader, LongStageRecordsAreReadAndEchoed) {
  Deck deck;
  deck.line[10] = "5000";
  deck.stress.clear();
  for (int i = 0; i < 5000; ++i) deck.stress.push_back(std::to_string(i * 0.5) + " 1.0 0.0");
  const DeckRun run = run_deck(deck.text());
  EXPECT_EQ(run.result.status, 0);
  EXPECT_NE(run.report.find("   NUMBER OF SPECIFIED TIME STEPS (NT):           5000\r\n"), std::string::npos);
  EXPECT_NE(run.report.find("       0.2500D+04   0.1000D+01   0.0000D+00\r\n"), std::string::npos);  // line 5001

  // Beyond what either inversion takes: the console line has no remedy to add.
  Deck too_many;
  too_many.line[10] = "10000001";
  expect_stopped_with(
      run_deck(too_many.text()),
      kBannerBox + crlf({"   NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN 99999. PROGRAM STOPPED."}));
}

TEST(DeckReader, NoTimeStressLineIsReadWhenNTIsNotPositive) {
  for (const char* nt : {"0", "-4"}) {
    Deck deck;
    deck.line[10] = nt;
    deck.stress = {"this line is never read"};
    const DeckRun run = run_deck(deck.text());
    EXPECT_EQ(run.result.status, 0) << nt;
    EXPECT_NE(run.report.find("          ----        -----         ----\r\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace kesta::testing
