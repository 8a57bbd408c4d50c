#include "plot/date_axis.hpp"

#include <cmath>
#include <cstdio>
#include <optional>

namespace kesta::plot {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;
using Unit = CalendarStep::Unit;

constexpr double kSecondsPerDay = 86400.0;
// The steps tried, smallest first; minutes and hours divide a day, so their
// ticks fall on the same clock times every day.
constexpr CalendarStep kSteps[] = {
    {Unit::Minute, 1},  {Unit::Minute, 2}, {Unit::Minute, 5}, {Unit::Minute, 10}, {Unit::Minute, 15},
    {Unit::Minute, 30}, {Unit::Hour, 1},   {Unit::Hour, 2},   {Unit::Hour, 3},    {Unit::Hour, 6},
    {Unit::Hour, 12},   {Unit::Day, 1},    {Unit::Day, 2},    {Unit::Day, 5},     {Unit::Day, 10},
    {Unit::Month, 1},   {Unit::Month, 2},  {Unit::Month, 3},  {Unit::Month, 6},   {Unit::Year, 1},
};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

double nominal_seconds(CalendarStep s) {
  constexpr double kMonth = 30.436875 * kSecondsPerDay, kYear = 365.2425 * kSecondsPerDay;
  const double unit = s.unit == Unit::Minute  ? 60.0
                      : s.unit == Unit::Hour  ? 3600.0
                      : s.unit == Unit::Day   ? kSecondsPerDay
                      : s.unit == Unit::Month ? kMonth
                                              : kYear;
  return unit * s.count;
}

std::string two(unsigned v) {
  char text[8];
  (void)std::snprintf(text, sizeof text, "%02u", v % 100);
  return text;
}

std::string year_text(int y) { return std::to_string(y); }

std::string day_text(year_month_day d) {
  return year_text(static_cast<int>(d.year())) + "-" + two(static_cast<unsigned>(d.month())) + "-" +
         two(static_cast<unsigned>(d.day()));
}

// The local clock's times (seconds since 1970 on that clock) at which ticks of
// the step fall within [from, to].
std::vector<double> local_ticks(CalendarStep s, double from, double to) {
  std::vector<double> out;
  if (s.unit == Unit::Minute || s.unit == Unit::Hour) {
    const double p = nominal_seconds(s);
    for (double t = std::ceil(from / p) * p; t <= to; t += p) out.push_back(t);
    return out;
  }
  const sys_days first{days(static_cast<long long>(std::floor(from / kSecondsPerDay)))};
  const auto seconds_of = [](sys_days d) { return static_cast<double>(d.time_since_epoch().count()) * kSecondsPerDay; };
  if (s.unit == Unit::Day) {
    for (sys_days d = first; seconds_of(d) <= to; d += days(1)) {
      const year_month_day ymd(d);
      const unsigned day = static_cast<unsigned>(ymd.day());
      const unsigned month_days = static_cast<unsigned>((ymd.year() / ymd.month() / std::chrono::last).day());
      // Days 1, 1 + count, ...; none so near the month's end that the next 1st crowds it.
      const bool on_step =
          (day - 1) % static_cast<unsigned>(s.count) == 0 && day + static_cast<unsigned>(s.count) / 2 <= month_days + 1;
      if (on_step && seconds_of(d) >= from) out.push_back(seconds_of(d));
    }
    return out;
  }
  const year_month_day start(first);
  for (auto ym = start.year() / start.month();; ym += std::chrono::months(1)) {
    const double t = seconds_of(sys_days(ym / 1));
    if (t > to) break;
    const bool on_step = s.unit == Unit::Month
                             ? (static_cast<unsigned>(ym.month()) - 1) % static_cast<unsigned>(s.count) == 0
                             : ym.month() == std::chrono::January && static_cast<int>(ym.year()) % s.count == 0;
    if (on_step && t >= from) out.push_back(t);
  }
  return out;
}

DateTick tick_at(CalendarStep s, double local, double offset_seconds, const year_month_day* before) {
  const sys_days day{days(static_cast<long long>(std::floor(local / kSecondsPerDay)))};
  const year_month_day ymd(day);
  DateTick tick;
  tick.at = local - offset_seconds;
  const bool new_year = !before || before->year() != ymd.year();
  switch (s.unit) {
    case Unit::Minute:
    case Unit::Hour: {
      const auto clock =
          static_cast<long long>(local - static_cast<double>(day.time_since_epoch().count()) * kSecondsPerDay);
      tick.label = two(static_cast<unsigned>(clock / 3600)) + ":" + two(static_cast<unsigned>(clock / 60 % 60));
      if (!before || *before != ymd) tick.context = day_text(ymd);
      break;
    }
    case Unit::Day:
      tick.label = two(static_cast<unsigned>(ymd.month())) + "-" + two(static_cast<unsigned>(ymd.day()));
      if (new_year) tick.context = year_text(static_cast<int>(ymd.year()));
      break;
    case Unit::Month:
      tick.label = kMonthNames[static_cast<unsigned>(ymd.month()) - 1];
      if (new_year) tick.context = year_text(static_cast<int>(ymd.year()));
      break;
    case Unit::Year: tick.label = year_text(static_cast<int>(ymd.year())); break;
  }
  return tick;
}

}  // namespace

DateAxis date_axis(double first, double last, std::chrono::minutes offset, int most) {
  const double shift = static_cast<double>(offset.count()) * 60.0;
  const double from = first + shift, to = last + shift;
  const double span = to - from;
  CalendarStep chosen = kSteps[std::size(kSteps) - 1];
  bool found = false;
  for (const CalendarStep s : kSteps) {
    // Too many by the nominal length: not worth counting one by one.
    if (span / nominal_seconds(s) > 2.0 * most) continue;
    if (static_cast<int>(local_ticks(s, from, to).size()) <= most) {
      chosen = s;
      found = true;
      break;
    }
  }
  // Spans of many years: 2, 5, 10, 20, 50 ... years.
  for (int base = 1; !found; base *= 10) {
    for (const int k : {2, 5, 10}) {
      chosen = {Unit::Year, k * base};
      found = span / nominal_seconds(chosen) <= 2.0 * most &&
              static_cast<int>(local_ticks(chosen, from, to).size()) <= most;
      if (found) break;
    }
  }
  DateAxis axis;
  axis.step = chosen;
  std::optional<year_month_day> before;
  for (const double local : local_ticks(chosen, from, to)) {
    axis.ticks.push_back(tick_at(chosen, local, shift, before ? &*before : nullptr));
    before = year_month_day(sys_days{days(static_cast<long long>(std::floor(local / kSecondsPerDay)))});
  }
  return axis;
}

std::string offset_name(std::chrono::minutes offset) {
  if (offset.count() == 0) return "UTC";
  const long long m = offset.count() < 0 ? -offset.count() : offset.count();
  return std::string("UTC") + (offset.count() < 0 ? "-" : "+") + two(static_cast<unsigned>(m / 60)) + ":" +
         two(static_cast<unsigned>(m % 60));
}

}  // namespace kesta::plot
