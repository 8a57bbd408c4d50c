#pragma once
// A time axis on the calendar: ticks at whole minutes, hours, days, months or
// years, whichever step gives a readable number of them over the span, and
// labelled with the date in one fixed offset from UTC (the one the file's
// dates carry). Civil arithmetic is the standard library's <chrono>.
#include <chrono>
#include <string>
#include <vector>

namespace kesta::plot {

// A calendar step: a count of one unit.
struct CalendarStep {
  enum class Unit { Minute, Hour, Day, Month, Year };
  Unit unit = Unit::Day;
  int count = 1;
  bool operator==(const CalendarStep&) const = default;
};

struct DateTick {
  double at = 0.0;    // seconds since 1970-01-01T00:00Z
  std::string label;  // "06:00", "05-14", "Mar", "2023"
  std::string
      context;  // a second line where the first does not say it: the date under hours, the year under days and months
};

struct DateAxis {
  CalendarStep step;
  std::vector<DateTick> ticks;
};

// The ticks inside [first, last] (seconds since 1970 UTC) at the smallest
// calendar step that gives at most `most` of them, counted on the clock
// `offset` ahead of UTC.
DateAxis date_axis(double first, double last, std::chrono::minutes offset, int most);

// "UTC+01:00", "UTC-03:30", "UTC".
std::string offset_name(std::chrono::minutes offset);

}  // namespace kesta::plot
