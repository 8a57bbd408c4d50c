// Dated records: the forms of time a record may use, time zones with their
// daylight-saving gap and repeated hour, missing values, and every fault of a
// record with its one line. Expected instants are written in UTC by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "case/case_error.hpp"
#include "case/dated_record.hpp"
#include "case/steps.hpp"
#include "case/text_file.hpp"

namespace kesta {
namespace {

using namespace std::chrono_literals;

// Milliseconds since 1970 of a UTC date and time.
double utc(date::year_month_day day, std::chrono::milliseconds clock = 0ms) {
  return static_cast<double>((date::sys_days(day) + clock).time_since_epoch().count());
}

struct TimeCase {
  std::string what;
  std::string zone;
  std::string format;
  std::vector<std::string> times;
  std::vector<double> expected;
  int skipped, repeated;
};

TEST(CaseRecords, TimesInEveryFormAndZone) {
  using date::May;
  constexpr auto y = date::year{2023};
  const TimeCase cases[] = {
      {"ISO with an offset",
       "UTC",
       "",
       {"2023-05-01T01:07:00+02:00", "2023-05-01T02:07:00+0200"},
       {utc(y / May / 1, -2h + 1h + 7min), utc(y / May / 1, 7min)},
       0,
       0},
      {"ISO in UTC, blank or T, Z, date alone, milliseconds",
       "UTC",
       "",
       {"2023-05-01", "2023-05-01 01:07", "2023-05-01T02:00:00Z", "2023-05-01T02:00:30.250"},
       {utc(y / May / 1), utc(y / May / 1, 1h + 7min), utc(y / May / 1, 2h), utc(y / May / 1, 2h + 30250ms)},
       0,
       0},
      {"a format of the user's",
       "UTC",
       "%d/%m/%Y %H:%M",
       {"01/05/2023 01:07", "01/05/2023 13:07"},
       {utc(y / May / 1, 1h + 7min), utc(y / May / 1, 13h + 7min)},
       0,
       0},
      // Amsterdam keeps summer time (+02:00) in May and winter time (+01:00) in January.
      {"a named zone",
       "Europe/Amsterdam",
       "",
       {"2023-01-15 12:00", "2023-05-01 01:07", "2023-05-01T01:07:00Z"},
       {utc(y / date::January / 15, 11h), utc(y / date::April / 30, 23h + 7min), utc(y / May / 1, 1h + 7min)},
       0,
       0},
      // On 2023-03-26 the clocks went from 02:00 to 03:00: 02:30 is read on the
      // clock before the change (+01:00), which is 03:30 summer time.
      {"a daylight-saving gap",
       "Europe/Amsterdam",
       "",
       {"2023-03-26 01:30", "2023-03-26 02:30", "2023-03-26 04:00"},
       {utc(y / date::March / 26, 30min), utc(y / date::March / 26, 1h + 30min), utc(y / date::March / 26, 2h)},
       1,
       0},
      // On 2023-10-29 the clocks went from 03:00 back to 02:00: 02:00 and 02:30
      // come twice, first in summer time (+02:00), then in winter time.
      {"a repeated hour",
       "Europe/Amsterdam",
       "",
       {"2023-10-29 02:00", "2023-10-29 02:30", "2023-10-29 02:00", "2023-10-29 02:30", "2023-10-29 03:00"},
       {utc(y / date::October / 29), utc(y / date::October / 29, 30min), utc(y / date::October / 29, 1h),
        utc(y / date::October / 29, 1h + 30min), utc(y / date::October / 29, 2h)},
       0,
       4},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = "time,level\n";
    for (const std::string& t : c.times) text += t + ",1.5\n";
    RecordLayout layout;
    layout.zone = c.zone;
    layout.format = c.format;
    const Record record = read_record(text, "r.csv", layout);
    EXPECT_TRUE(record.dated);
    ASSERT_EQ(record.readings.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(record.readings[i].time, c.expected[i]) << c.times[i];
      EXPECT_EQ(record.readings[i].line, static_cast<int>(i) + 2);
    }
    EXPECT_EQ(record.local_times.skipped, c.skipped);
    EXPECT_EQ(record.local_times.repeated, c.repeated);
  }
}

TEST(CaseRecords, NumbersColumnsAndMissingValues) {
  RecordLayout layout;
  layout.time = {"t", 0};
  layout.value = {"", 3};
  layout.delimiter = ';';
  layout.missing = {"---"};
  layout.missing_levels = {-9999.0};
  const std::string text =
      "t;x;level\n# a comment "
      "line\n0;a;1.5\n0.5;b;\n1;c;NA\n1.5;d;-9999.0\n2;e;---\n\n2.5;f;\"2\"\n3;g;NaN\n3.5;h;-9999\n"
      "4;i;+3e-1\r\n";
  const Record record = read_record(text, "r.csv", layout);
  EXPECT_FALSE(record.dated);
  EXPECT_EQ(record.missing, 6);
  ASSERT_EQ(record.readings.size(), 3u);
  const Reading expected[] = {{0.0, 1.5, 3, 0}, {2.5, 2.0, 9, 4}, {4.0, 0.3, 12, 2}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(record.readings[i].time, expected[i].time);
    EXPECT_EQ(record.readings[i].value, expected[i].value);
    EXPECT_EQ(record.readings[i].line, expected[i].line);
    EXPECT_EQ(record.readings[i].missing_before, expected[i].missing_before);
  }
}

TEST(CaseRecords, EveryFaultIsOneLineNamingFileAndLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"t,v\n2023-05-01 01:00,1\n2023-05-01 00:30,2\n",
       "r.csv:3: the time '2023-05-01 00:30' is earlier than the time '2023-05-01 01:00' of line 2; times must "
       "increase down the record"},
      {"t,v\n2023-05-01 01:00,1\n2023-05-01T01:00:00Z,2\n",
       "r.csv:3: the time '2023-05-01T01:00:00Z' repeats the time of line 2; times must increase down the record"},
      {"t,v\n0,1\n1,NA\n1,2\n",
       "r.csv:4: the time '1' repeats the time of line 3; times must increase down the record"},
      {"t,v\n2023-05-01,1\n2023-13-01,2\n",
       "r.csv:3: the time '2023-13-01' is not a date in ISO 8601 (2023-05-01T01:07:00+02:00, 2023-05-01 01:07 or "
       "2023-05-01)"},
      {"t,v\n0,1\n2023-05-01,2\n", "r.csv:3: the time '2023-05-01' is not a number, as the record's first time is"},
      {"t,v\n0,1\n1,1,5\n2,abc\n",
       "r.csv:4: the value 'abc' is not a number (a missing reading is written empty, NA, NaN or as the case's "
       "missing values)"},
      {"t,v\n0,1\n1\n", "r.csv:3: holds 1 column where the record's time and value need 2"},
      {"t,v\n0,1\n,2\n", "r.csv:3: a reading without a time"},
      {"t,v\n0,1\n1,NA\n", "r.csv: holds 1 reading with a value; a record needs at least two"},
      {"time,level\n0,1\n", "r.csv:1: no column named 'stage' for the value"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(message);
    RecordLayout layout;
    if (message.find("'stage'") != std::string::npos) layout.value = {"stage", 0};
    try {
      (void)read_record(text, "r.csv", layout);
      ADD_FAILURE() << "accepted";
    } catch (const CaseError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

}  // namespace
}  // namespace kesta

namespace kesta {
namespace {

// The Dutch well's heads (examples/well-near-river/head.csv): monthly manual
// readings, then a 3-hourly logger, and 278 days without a reading from
// 2015-05-23 06:00. Counts and lines from the file itself.
TEST(CaseRecords, AnIrregularFieldRecordWithItsGap) {
  const std::string shown = "head.csv";
  RecordLayout layout;
  layout.time = {"Date", 0};
  layout.value = {"Head", 0};
  const Record record = read_record(
      read_text_file(KESTA_SOURCE_DIR "/examples/well-near-river/head.csv", shown, kRecordBounds), shown, layout);
  ASSERT_TRUE(record.dated);
  EXPECT_EQ(record.readings.size(), 34677u);
  EXPECT_EQ(record.readings.front().time, utc(date::year{2000} / date::January / 27));
  EXPECT_EQ(usual_spacing(record.readings), 3 * 3600e3);

  const auto& zone = *date::locate_zone("UTC");
  const auto text = [&](double t) { return iso_text(Instant(std::chrono::milliseconds(std::llround(t))), zone); };
  constexpr double kDay = 86400e3;
  const double start = utc(date::year{2015} / date::January / 1);
  const int count = 518;  // 2015-01-01 to 2016-06-01
  const StepSeries bridged = to_steps(record, 0.0, {start, kDay, count, 300 * kDay}, text);
  EXPECT_EQ(bridged.readings_used, 1912);
  EXPECT_EQ(bridged.gaps_bridged, 1);
  try {
    (void)to_steps(record, 0.0, {start, kDay, count, 30 * kDay}, text);
    ADD_FAILURE() << "the gap was bridged";
  } catch (const CaseError& e) {
    EXPECT_EQ(std::string(e.what()),
              "head.csv:23270: a gap from the reading at 2015-05-23T06:00:00+00:00 (line 23269) to the reading at "
              "2016-02-25T12:00:00+00:00 (line 23270) is longer than max_gap; shorten the run or raise max_gap");
  }
}

}  // namespace
}  // namespace kesta
