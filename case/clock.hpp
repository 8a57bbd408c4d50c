#pragma once
// Times of field records: ISO 8601 (with or without an offset, date only) or
// a format of the user's, in a named time zone when the text has no offset.
// All calendar and zone arithmetic is the date library's and its tz database's.
#include <date/tz.h>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "case/iso_time.hpp"

namespace kesta {

// Local times that the zone's clock skipped or showed twice (daylight saving).
struct LocalTimeNotes {
  int skipped = 0;   // in a gap: read with the offset before the change
  int repeated = 0;  // in a repeated hour
  int first_skipped_line = 0;
  int first_repeated_line = 0;
};

// A reader remembers the zone's last offset period between readings, so one
// reader serves one record (one thread) at a time.
class TimeReader {
 public:
  // format: empty for the ISO 8601 forms, else a strftime-like pattern
  // ("%d/%m/%Y %H:%M"; %z for an offset; with %S, seconds that do not read
  // meet a flaw of date.h 3.0.1: an uninitialised value converted, then refused). zone: an IANA name ("UTC",
  // "Europe/Amsterdam"). Throws std::runtime_error for a zone the database
  // does not know.
  TimeReader(std::string format, const std::string& zone);

  // The instant a text stands for, or nothing for text that is not a time in
  // this style. A local time in a repeated hour is taken at its first
  // occurrence unless that is not after `previous` (the record's reading
  // before), then at its second; one in a gap counts forward by the gap.
  // The ISO 8601 forms are read from their digits (iso_time.hpp).
  std::optional<Instant> read(std::string_view text, std::optional<Instant> previous, int line,
                              LocalTimeNotes& notes) const;

  // The same reading with every form through the date library's stream
  // parser: how user formats are read, and the measure of the fast path.
  std::optional<Instant> read_by_stream(std::string_view text, std::optional<Instant> previous, int line,
                                        LocalTimeNotes& notes) const;

  const date::time_zone& zone() const { return *zone_; }

 private:
  std::optional<Instant> local(date::local_time<std::chrono::milliseconds> time, std::optional<Instant> previous,
                               int line, LocalTimeNotes& notes) const;

  // Local times [from, to) that the zone's clock shows once, all with one
  // offset: consecutive readings in one offset period skip the database.
  struct UniqueSpan {
    date::local_seconds from{}, to{};
    std::chrono::seconds offset{0};
  };
  UniqueSpan unique_span(const date::sys_info& period) const;

  std::string format_;
  const date::time_zone* zone_;
  mutable UniqueSpan unique_;
};

// "2023-05-01T01:07:00+02:00" in the zone's time; milliseconds only when there are some.
std::string iso_text(Instant instant, const date::time_zone& zone);

// The tz database's version, for the run's summary ("2025b").
std::string zone_database_version();

}  // namespace kesta
