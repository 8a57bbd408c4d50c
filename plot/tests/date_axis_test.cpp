// The calendar axis: which step a span gets, where its ticks fall on the
// clock of the file's offset, and what each label says.
#include "plot/date_axis.hpp"

#include <gtest/gtest.h>

#include "plot/case_results.hpp"

namespace kesta::plot {
namespace {

using namespace std::chrono_literals;
using Unit = CalendarStep::Unit;

double at(const std::string& iso) {
  double seconds = 0.0;
  std::chrono::minutes offset{0};
  EXPECT_TRUE(parse_iso_date(iso, seconds, offset)) << iso;
  return seconds;
}

struct SpanCase {
  std::string first, last;
  std::chrono::minutes offset;
  CalendarStep step;
  std::vector<std::string> labels;  // of the first ticks
  std::vector<std::string> contexts;
};

TEST(DateAxis, StepsFollowTheSpan) {
  const SpanCase cases[] = {
      {"2023-05-01T00:07:00+00:00",
       "2023-05-01T00:52:00+00:00",
       0min,
       {Unit::Minute, 5},
       {"00:10", "00:15"},
       {"2023-05-01", ""}},
      {"2023-05-01T01:00:00+02:00",
       "2023-05-01T09:00:00+02:00",
       120min,
       {Unit::Hour, 1},
       {"01:00", "02:00"},
       {"2023-05-01", ""}},
      // Crossing midnight: the new day is said under its first tick.
      {"2023-05-01T20:00:00+00:00",
       "2023-05-02T06:30:00+00:00",
       0min,
       {Unit::Hour, 2},
       {"20:00", "22:00", "00:00"},
       {"2023-05-01", "", "2023-05-02"}},
      {"2000-01-01T00:00:00+00:00",
       "2000-01-08T23:00:00+00:00",
       0min,
       {Unit::Day, 1},
       {"01-01", "01-02"},
       {"2000", ""}},
      {"2023-12-20T00:00:00+00:00",
       "2024-01-25T00:00:00+00:00",
       0min,
       {Unit::Day, 5},
       {"12-21", "12-26", "01-01"},
       {"2023", "", "2024"}},
      {"2023-01-01T01:00:00+01:00",
       "2023-12-31T23:45:00+01:00",
       60min,
       {Unit::Month, 2},
       {"Mar", "May"},
       {"2023", ""}},  // 1 January 00:00 is before the first row
      {"2015-01-01T00:00:00+00:00",
       "2019-10-29T00:00:00+00:00",
       0min,
       {Unit::Month, 6},
       {"Jan", "Jul", "Jan"},
       {"2015", "", "2016"}},
      {"2023-01-01T01:00:00+01:00", "2052-12-24T00:45:00+01:00", 60min, {Unit::Year, 5}, {"2025", "2030"}, {"", ""}},
      {"1900-01-01T00:00:00+00:00", "2100-01-01T00:00:00+00:00", 0min, {Unit::Year, 50}, {"1900", "1950"}, {"", ""}},
  };
  for (const SpanCase& c : cases) {
    SCOPED_TRACE(c.first + " to " + c.last);
    const DateAxis axis = date_axis(at(c.first), at(c.last), c.offset, 10);
    EXPECT_EQ(axis.step, c.step);
    EXPECT_LE(axis.ticks.size(), 10u);
    EXPECT_GE(axis.ticks.size(), 3u);
    ASSERT_GE(axis.ticks.size(), c.labels.size());
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
      EXPECT_EQ(axis.ticks[i].label, c.labels[i]);
      EXPECT_EQ(axis.ticks[i].context, c.contexts[i]);
    }
    for (const DateTick& t : axis.ticks) {
      EXPECT_GE(t.at, at(c.first));
      EXPECT_LE(t.at, at(c.last));
    }
  }
}

TEST(DateAxis, TicksFallOnTheFilesClock) {
  // Midnight at +02:00 is 22:00 UTC the day before.
  const DateAxis axis = date_axis(at("2023-05-01T00:00:00+02:00"), at("2023-05-05T00:00:00+02:00"), 120min, 10);
  ASSERT_FALSE(axis.ticks.empty());
  EXPECT_EQ(axis.ticks[0].at, at("2023-04-30T22:00:00+00:00"));
  EXPECT_EQ(axis.step, (CalendarStep{Unit::Hour, 12}));
  EXPECT_EQ(axis.ticks[0].label, "00:00");
  EXPECT_EQ(axis.ticks[0].context, "2023-05-01");
  EXPECT_EQ(offset_name(120min), "UTC+02:00");
  EXPECT_EQ(offset_name(-210min), "UTC-03:30");
  EXPECT_EQ(offset_name(0min), "UTC");
}

TEST(DateAxis, DatesAsTheResultsWriteThem) {
  struct DateCase {
    std::string text;
    bool read;
    double seconds;
    int offset_minutes;
  };
  const DateCase cases[] = {
      {"1970-01-01T00:00:00+00:00", true, 0.0, 0},
      {"1970-01-01T01:00:00+01:00", true, 0.0, 60},
      {"2024-02-29T12:00:00.250-03:30", true, 1709220600.25, -210},  // a leap day, west of UTC
      {"2023-02-29T00:00:00+00:00", false, 0, 0},
      {"2023-05-01T24:00:00+00:00", false, 0, 0},
      {"2023-05-01T01:07:00", false, 0, 0},
      {"2023-05-01 01:07:00+00:00", false, 0, 0},
      {"2023-05-01T01:07:00+0000", false, 0, 0},
      {"2023-05-01T01:07:00+00:00x", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const DateCase& c : cases) {
    double seconds = -1.0;
    std::chrono::minutes offset{0};
    EXPECT_EQ(parse_iso_date(c.text, seconds, offset), c.read) << c.text;
    if (c.read) {
      EXPECT_EQ(seconds, c.seconds) << c.text;
      EXPECT_EQ(offset.count(), c.offset_minutes) << c.text;
    }
  }
}

}  // namespace
}  // namespace kesta::plot
