#pragma once
// ISO 8601 times read and written from their digits, without streams: a
// record of a million readings and a results file of a million rows spend
// their time here. The calendar arithmetic is the date library's civil types
// (year_month_day to days); the zone is asked only when the offset period
// changes.
#include <date/tz.h>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kesta {

using Instant = date::sys_time<std::chrono::milliseconds>;

// A time as written: its civil date and clock, and its offset when it has one.
struct IsoFields {
  date::local_time<std::chrono::milliseconds> local;
  std::optional<std::chrono::minutes> offset;  // nothing: a local time in some zone
};

// YYYY-MM-DD, then optionally [T or blank]hh:mm[:ss[.f, up to 3 digits]] and an
// offset (Z, ±hh, ±hhmm, ±hh:mm). Nothing for any other text, or for fields
// outside the calendar and the clock (a 30 February, an hour 24, a second 60).
std::optional<IsoFields> iso_fields(std::string_view text);

// Writes instants as "2023-05-01T01:07:00+02:00" in a zone's time (with
// ".250" when there are milliseconds), remembering the zone's offset period
// so that consecutive instants in one period skip the database.
class IsoWriter {
 public:
  explicit IsoWriter(const date::time_zone& zone) : zone_(&zone) {}
  void append(std::string& out, Instant instant);

 private:
  const date::time_zone* zone_;
  date::sys_seconds begin_{}, end_{};  // of the offset period remembered; empty at first
  std::chrono::seconds offset_{0};
};

}  // namespace kesta
