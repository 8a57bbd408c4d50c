// Cases through the library: read_case gives the deck and calendar that
// kesta --case runs (its CSV is the program's, byte for byte), and the
// calendar turns dates into model times and back.
#include <gtest/gtest.h>

#include "kesta/case.hpp"
#include "kesta/kesta.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

const std::string kRecord =
    "Date,Stage\n2023-03-26 00:00,0\n2023-03-26 01:00,1\n2023-03-26 03:00,3\n2023-03-26 04:00,3\n"
    "2023-03-26 05:00,2\n";

const std::string kCase =
    "title = \"Library\"\nx = 50.0\n[units]\ntime = \"h\"\n"
    "[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\nstream_length = 1000.0\n"
    "conductivity = 5.0\nspecific_storage = 2e-4\nthickness = 20.0\n"
    "[stage]\nfile = \"stage.csv\"\ntime = \"Date\"\nvalue = \"Stage\"\n"
    "[run]\nstep = \"1 h\"\nzone = \"Europe/Amsterdam\"\n";

TEST(CaseLibrary, TheProgramsCsvFromTheLibrarysCase) {
  TempFolder folder;
  write_file(folder / "case.toml", kCase);
  write_file(folder / "stage.csv", kRecord);
  const RunResult run = run_kesta_with(folder, {"--case", "case.toml"});
  ASSERT_EQ(run.status, 0) << run.err;

  const PreparedCase prepared = read_case(folder / "case.toml");
  EXPECT_EQ(prepared.deck.NT, 5);
  EXPECT_EQ(prepared.options.inversion, InversionMethod::Contour);
  EXPECT_EQ(prepared.results_file, std::filesystem::path(folder / "results.csv"));
  EXPECT_EQ(case_results_csv(prepared, simulate(prepared.deck, prepared.options)), read_file(folder / "results.csv"));
}

TEST(CaseLibrary, TheCalendarBetweenDatesAndModelTimes) {
  TempFolder folder;
  write_file(folder / "case.toml", kCase);
  write_file(folder / "stage.csv", kRecord);
  const CaseCalendar calendar = read_case(folder / "case.toml").calendar;
  ASSERT_TRUE(calendar.dated());
  EXPECT_EQ(calendar.zone(), "Europe/Amsterdam");
  struct Row {
    std::string text, format, zone;
    std::optional<double> hours;  // since the run's start, 2023-03-26 00:00 in Amsterdam (23:00 UTC the day before)
  };
  const Row rows[] = {
      {"2023-03-26 01:00", "", "", 1.0},
      {"2023-03-26 03:00", "", "", 2.0},      // the clocks go from 02:00 to 03:00
      {"2023-03-26T01:30:00Z", "", "", 2.5},  // an offset wins over the zone
      {"2023-03-26 00:30", "", "UTC", 1.5},   // another zone for times without an offset
      {"26/03/2023 04:00", "%d/%m/%Y %H:%M", "", 3.0},
      {"2023-03-25 23:00", "", "", -1.0},
      {"2023-03-26T00:00:00.5+01:00", "", "", 0.5 / 3600.0},
      {"2023-03-26T00:00:00.250+01:00", "", "", 0.25 / 3600.0},  // to the millisecond
      {"2023-03-26T00:00:00.+01:00", "", "", std::nullopt},      // a point without its digits
      {"2023-03-26T00:00:00.2500+01:00", "", "", std::nullopt},  // finer than a millisecond
      {"not a date", "", "", std::nullopt},
      {"2023-02-30 00:00", "", "", std::nullopt},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const std::optional<double> t = calendar.model_time_of(r.text, r.format, r.zone);
    ASSERT_EQ(t.has_value(), r.hours.has_value());
    if (t) {
      EXPECT_NEAR(*t, *r.hours, 1e-12);
    }
  }
  EXPECT_EQ(calendar.date_of(0.0), "2023-03-26T00:00:00+01:00");
  EXPECT_EQ(calendar.date_of(2.0), "2023-03-26T03:00:00+02:00");
  EXPECT_EQ(calendar.date_of(0.25), "2023-03-26T00:15:00+01:00");
  EXPECT_THROW((void)calendar.model_time_of("2023-03-26 01:00", "", "Mars/Olympus"), CaseError);

  const CaseCalendar none;
  EXPECT_FALSE(none.dated());
  EXPECT_EQ(none.date_of(1.0), "");
  EXPECT_EQ(none.model_time_of("2023-03-26 01:00"), std::nullopt);
}

TEST(CaseLibrary, ABadCaseIsACaseErrorNamingTheFileAndLine) {
  TempFolder folder;
  write_file(folder / "case.toml", kCase);
  write_file(folder / "stage.csv", kRecord + "2023-03-26 04:30,x\n");
  try {
    (void)read_case(folder / "case.toml");
    FAIL() << "no error";
  } catch (const CaseError& e) {
    EXPECT_EQ(e.line(), 7);
    EXPECT_NE(std::string(e.what()).find("stage.csv:7:"), std::string::npos) << e.what();
  }
}

// Levels made relative: to the level at the start, the lowest in the run, a
// given level, or kept. Readings 5, 4, 6, 5 m an hour apart make the lines
// 5 (the start), then the hours' means 4.5, 5 and 5.5, less the datum.
TEST(CaseLibrary, EachDatumMakesTheLevelsRelativeToIt) {
  const std::string record =
      "Date,Stage\n2023-05-01 00:00,5\n2023-05-01 01:00,4\n2023-05-01 02:00,6\n2023-05-01 03:00,5\n";
  struct Row {
    std::string datum;
    std::vector<double> stage;
  };
  const Row rows[] = {
      {"", {5, 4.5, 5, 5.5}},  // relative, the default
      {"datum = \"relative\"\n", {5, 4.5, 5, 5.5}},
      {"datum = \"first\"\n", {0, -0.5, 0, 0.5}},
      {"datum = \"minimum\"\n", {1, 0.5, 1, 1.5}},
      {"datum = 4.5\n", {0.5, 0, 0.5, 1}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.datum);
    TempFolder folder;
    std::string text = kCase;
    text.replace(text.find("[run]"), 5, r.datum + "[run]");
    text.replace(text.find("Europe/Amsterdam"), 16, "UTC");
    write_file(folder / "case.toml", text);
    write_file(folder / "stage.csv", record);
    EXPECT_EQ(read_case(folder / "case.toml").deck.STAGE, r.stage);
  }
}

// The run's account says how it read the times: numbers, or dates and the
// local times the zone's clock skipped or showed twice.
TEST(CaseLibrary, TheAccountSaysHowTheTimesWereRead) {
  struct Row {
    std::string what, record, run;
    std::string line;  // the account's last line starts so
  };
  const Row rows[] = {
      {"numbers with an origin", "t,Stage\n0,0\n1,1\n2,3\n", "step = \"1 h\"\norigin = \"2023-05-01 00:00\"\n",
       "times are numbers in h; dates from the origin 2023-05-01T00:00:00+00:00; dates written in UTC"},
      {"numbers without", "t,Stage\n0,0\n1,1\n2,3\n", "step = \"1 h\"\n",
       "times are numbers in h; dates written in UTC"},
      {"a local time in the spring gap", "Date,Stage\n2023-03-26 01:00,0\n2023-03-26 02:30,1\n2023-03-26 04:00,3\n",
       "step = \"1 h\"\nzone = \"Europe/Amsterdam\"\n",
       "stage times without an offset in Europe/Amsterdam, 1 local time in a daylight-saving gap moved on by the gap "
       "(first at line 3)"},
      {"local times in the autumn's repeated hour",
       "Date,Stage\n2023-10-29 01:30,0\n2023-10-29 02:00,1\n2023-10-29 02:30,3\n2023-10-29 02:00,2\n2023-10-29 "
       "02:30,2\n2023-10-29 03:00,1\n",
       "step = \"30 min\"\nzone = \"Europe/Amsterdam\"\n",
       "stage times without an offset in Europe/Amsterdam, 4 local times in a repeated hour (first at line 3)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TempFolder folder;
    std::string text = kCase;
    text.replace(text.find("[run]"), std::string::npos, "[run]\n" + r.run);
    if (r.record[0] == 't') text.replace(text.find("time = \"Date\""), 13, "time = \"t\"");
    write_file(folder / "case.toml", text);
    write_file(folder / "stage.csv", r.record);
    const PreparedCase prepared = read_case(folder / "case.toml");
    ASSERT_FALSE(prepared.summary.empty());
    EXPECT_EQ(prepared.summary.back().substr(0, r.line.size()), r.line) << prepared.summary.back();
  }
}

}  // namespace
}  // namespace kesta::testing
