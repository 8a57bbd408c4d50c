// g++ 12 at -O2 takes the seconds that date.h's parser fills only after a
// successful read (date.h 3.0.1, `long double S;` in from_stream) for maybe
// uninitialized; the text that fails that read never gets here (IsoShape).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "case/clock.hpp"

#include <algorithm>
#include <sstream>

namespace kesta {
namespace {

using Millis = std::chrono::milliseconds;

bool whole_text_read(std::istringstream& in) { return !in.fail() && in.peek() == std::char_traits<char>::eof(); }

// ISO 8601 written with a blank between date and time reads as with a T.
std::string iso_normalised(std::string_view text) {
  std::string s(text);
  if (s.size() > 10 && s[10] == ' ') s[10] = 'T';
  return s;
}

// Where an offset begins in an ISO time ("+02:00", "-0500", "Z"), or npos.
std::size_t offset_start(const std::string& s) {
  if (s.size() <= 11) return std::string::npos;  // a date alone has none (its '-' separate the fields)
  if (s.back() == 'Z') return s.size() - 1;
  const std::size_t sign = s.find_last_of("+-");
  return sign != std::string::npos && sign > 10 ? sign : std::string::npos;
}

// The shape of an ISO 8601 time: YYYY-MM-DD, then optionally Thh:mm[:ss[.f]]
// and an offset (Z, +hh, +hhmm, +hh:mm). Only the shape: date.h (3.0.1)
// reads the fields, but it misbehaves on some text that has none of this
// shape (seconds it could not read are converted uninitialised; an offset
// after stray signs overflows), so such text never reaches it.
class IsoShape {
 public:
  explicit IsoShape(std::string_view s) : s_(s) {}

  bool holds() {
    if (!digits(4) || !one('-') || !digits(2) || !one('-') || !digits(2)) return false;
    if (done()) return true;
    if (!one('T') || !digits(2) || !one(':') || !digits(2)) return false;
    if (one(':')) {
      if (!digits(2)) return false;
      if (one('.') && !some_digits()) return false;
    }
    if (done() || (one('Z') && done())) return done();
    if (!one('+') && !one('-')) return false;
    if (!digits(2)) return false;
    if (done()) return true;
    (void)one(':');
    return digits(2) && done();
  }

 private:
  bool done() const { return at_ == s_.size(); }
  bool one(char c) {
    if (at_ < s_.size() && s_[at_] == c) return ++at_, true;
    return false;
  }
  bool digit() {
    if (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') return ++at_, true;
    return false;
  }
  bool digits(int n) {
    for (int i = 0; i < n; ++i)
      if (!digit()) return false;
    return true;
  }
  bool some_digits() {
    constexpr int kMostFractionDigits = 9;
    int n = 0;
    while (n < kMostFractionDigits && digit()) ++n;
    return n > 0 && !digit();
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

}  // namespace

TimeReader::TimeReader(std::string format, const std::string& zone)
    : format_(std::move(format)), zone_(date::locate_zone(zone)) {}

TimeReader::UniqueSpan TimeReader::unique_span(const date::sys_info& period) const {
  using std::chrono::seconds;
  UniqueSpan span{date::local_seconds((period.begin + period.offset).time_since_epoch()),
                  date::local_seconds((period.end + period.offset).time_since_epoch()), period.offset};
  // Where the clock went back at an end, the hour shown twice is not unique;
  // where it went forward, the skipped hour is outside the span already.
  // Neighbouring periods shorter than this might reach past their
  // neighbours on the local clock: then nothing is remembered.
  constexpr auto kShortestNeighbour = date::days(2);
  const date::sys_seconds far_back = date::sys_days(date::year(-30000) / 1 / 1);
  const date::sys_seconds far_ahead = date::sys_days(date::year(30000) / 1 / 1);
  if (period.begin > far_back) {
    const date::sys_info before = zone_->get_info(period.begin - seconds(1));
    if (before.end - before.begin < kShortestNeighbour) return {};
    span.from = std::max(span.from, date::local_seconds((period.begin + before.offset).time_since_epoch()));
  }
  if (period.end < far_ahead) {
    const date::sys_info after = zone_->get_info(period.end);
    if (after.end - after.begin < kShortestNeighbour) return {};
    span.to = std::min(span.to, date::local_seconds((period.end + after.offset).time_since_epoch()));
  }
  return span;
}

std::optional<Instant> TimeReader::local(date::local_time<Millis> time, std::optional<Instant> previous, int line,
                                         LocalTimeNotes& notes) const {
  const date::local_seconds second = date::floor<std::chrono::seconds>(time);
  if (second >= unique_.from && second < unique_.to) return Instant(time.time_since_epoch() - unique_.offset);
  const date::local_info info = zone_->get_info(second);
  const auto at = [&](const date::sys_info& in_force) { return Instant(time.time_since_epoch() - in_force.offset); };
  switch (info.result) {
    case date::local_info::unique: unique_ = unique_span(info.first); return at(info.first);
    case date::local_info::nonexistent:
      // The clock jumped over this time: read it as the clock before the jump
      // would have, which lands it after the jump by the jump's length.
      if (notes.skipped++ == 0) notes.first_skipped_line = line;
      return at(info.first);
    case date::local_info::ambiguous:
    default: {
      if (notes.repeated++ == 0) notes.first_repeated_line = line;
      const Instant first = at(info.first);
      // A logger writes its readings in order: once the repeated hour has
      // begun again, its times belong to the second occurrence.
      if (previous && first <= *previous) return at(info.second);
      return first;
    }
  }
}

std::optional<Instant> TimeReader::read(std::string_view text, std::optional<Instant> previous, int line,
                                        LocalTimeNotes& notes) const {
  if (!format_.empty()) return read_by_stream(text, previous, line, notes);
  const std::optional<IsoFields> fields = iso_fields(text);
  if (!fields) return std::nullopt;
  if (fields->offset) return Instant(fields->local.time_since_epoch() - *fields->offset);
  return local(fields->local, previous, line, notes);
}

std::optional<Instant> TimeReader::read_by_stream(std::string_view text, std::optional<Instant> previous, int line,
                                                  LocalTimeNotes& notes) const {
  std::istringstream in;
  if (!format_.empty()) {
    in.str(std::string(text));
    const bool with_offset = format_.find("%z") != std::string::npos || format_.find("%Ez") != std::string::npos;
    if (with_offset) {
      Instant t;
      date::from_stream(in, format_.c_str(), t);
      return whole_text_read(in) ? std::optional<Instant>(t) : std::nullopt;
    }
    date::local_time<Millis> t;
    date::from_stream(in, format_.c_str(), t);
    return whole_text_read(in) ? local(t, previous, line, notes) : std::nullopt;
  }
  std::string s = iso_normalised(text);
  if (!IsoShape(s).holds()) return std::nullopt;
  if (s.size() == 10) {
    date::local_days day;
    in.str(s);
    date::from_stream(in, "%Y-%m-%d", day);
    return whole_text_read(in) ? local(date::local_time<Millis>(day), previous, line, notes) : std::nullopt;
  }
  const std::size_t offset = offset_start(s);
  const std::string clock = s.substr(0, offset);
  const int colons = static_cast<int>(std::count(clock.begin(), clock.end(), ':'));
  const char* form = colons == 2 ? "%Y-%m-%dT%H:%M:%S" : "%Y-%m-%dT%H:%M";
  if (offset == std::string::npos) {
    date::local_time<Millis> t;
    in.str(s);
    date::from_stream(in, form, t);
    return whole_text_read(in) ? local(t, previous, line, notes) : std::nullopt;
  }
  // "Z" is the offset +00:00.
  if (s[offset] == 'Z') s.replace(offset, 1, "+00:00");
  Instant t;
  in.str(s);
  // "+02:00" or "+0200".
  const char* zone_form = s.find(':', offset) == std::string::npos ? "%z" : "%Ez";
  date::from_stream(in, (std::string(form) + zone_form).c_str(), t);
  return whole_text_read(in) ? std::optional<Instant>(t) : std::nullopt;
}

std::string iso_text(Instant instant, const date::time_zone& zone) {
  std::string text;
  IsoWriter(zone).append(text, instant);
  return text;
}

std::string zone_database_version() { return date::get_tzdb().version; }

}  // namespace kesta
