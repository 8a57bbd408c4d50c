#include "case/iso_time.hpp"

#include <charconv>

namespace kesta {
namespace {

using Millis = std::chrono::milliseconds;

// Years written with four digits; others go through the date library's own formatting.
constexpr int kLastFourDigitYear = 9999;
constexpr int kMostFractionDigits = 3;  // milliseconds

class Digits {
 public:
  explicit Digits(std::string_view s) : s_(s) {}

  bool done() const { return at_ == s_.size(); }
  bool one(char c) {
    if (at_ < s_.size() && s_[at_] == c) return ++at_, true;
    return false;
  }
  bool one_of(char a, char b) { return one(a) || one(b); }
  char peek() const { return at_ < s_.size() ? s_[at_] : '\0'; }
  // Exactly n digits as a number.
  bool number(int n, int& value) {
    value = 0;
    for (int i = 0; i < n; ++i, ++at_) {
      if (at_ >= s_.size() || s_[at_] < '0' || s_[at_] > '9') return false;
      value = value * 10 + (s_[at_] - '0');
    }
    return true;
  }
  // One to three digits after a decimal point, as milliseconds.
  bool fraction(int& millis) {
    millis = 0;
    int n = 0;
    for (; at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9'; ++at_, ++n) {
      if (n == kMostFractionDigits) return false;
      millis = millis * 10 + (s_[at_] - '0');
    }
    for (int i = n; i < kMostFractionDigits; ++i) millis *= 10;
    return n > 0;
  }

 private:
  std::string_view s_;
  std::size_t at_ = 0;
};

// The offset after the clock: Z, ±hh, ±hhmm or ±hh:mm. As the date
// library reads them, the hours and minutes are not bounded.
bool read_offset(Digits& d, std::optional<std::chrono::minutes>& offset) {
  if (d.one('Z')) {
    offset = std::chrono::minutes(0);
    return d.done();
  }
  const bool negative = d.peek() == '-';
  if (!d.one_of('+', '-')) return false;
  int hours = 0, minutes = 0;
  if (!d.number(2, hours)) return false;
  if (!d.done()) {
    (void)d.one(':');
    if (!d.number(2, minutes) || !d.done()) return false;
  }
  const std::chrono::minutes size = std::chrono::hours(hours) + std::chrono::minutes(minutes);
  offset = negative ? -size : size;
  return true;
}

void append_digits(std::string& out, long long value, int width) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  for (auto n = end - text; n < width; ++n) out += '0';
  out.append(text, end);
}

}  // namespace

std::optional<IsoFields> iso_fields(std::string_view text) {
  Digits d(text);
  int y = 0, mo = 0, da = 0;
  if (!d.number(4, y) || !d.one('-') || !d.number(2, mo) || !d.one('-') || !d.number(2, da)) return std::nullopt;
  const date::year_month_day ymd{date::year(y), date::month(static_cast<unsigned>(mo)),
                                 date::day(static_cast<unsigned>(da))};
  if (!ymd.ok()) return std::nullopt;
  IsoFields f{date::local_days(ymd), std::nullopt};
  if (d.done()) return f;
  int h = 0, mi = 0, s = 0, ms = 0;
  if (!d.one_of('T', ' ') || !d.number(2, h) || !d.one(':') || !d.number(2, mi)) return std::nullopt;
  if (d.one(':')) {
    if (!d.number(2, s)) return std::nullopt;
    if (d.one('.') && !d.fraction(ms)) return std::nullopt;
  }
  if (h > 23 || mi > 59 || s > 59) return std::nullopt;
  f.local += std::chrono::hours(h) + std::chrono::minutes(mi) + std::chrono::seconds(s) + Millis(ms);
  if (!d.done() && !read_offset(d, f.offset)) return std::nullopt;
  return f;
}

void IsoWriter::append(std::string& out, Instant instant) {
  const date::sys_seconds second = date::floor<std::chrono::seconds>(instant);
  if (!(second >= begin_ && second < end_)) {
    const date::sys_info info = zone_->get_info(second);
    begin_ = info.begin;
    end_ = info.end;
    offset_ = info.offset;
  }
  const auto local = instant.time_since_epoch() + offset_;
  const date::days day = date::floor<date::days>(local);
  const date::year_month_day ymd{date::sys_days(day)};
  const int year = static_cast<int>(ymd.year());
  const bool whole_second = instant.time_since_epoch() % std::chrono::seconds(1) == Millis(0);
  if (year < 0 || year > kLastFourDigitYear) {
    if (whole_second) {
      out += date::format("%FT%T%Ez", date::zoned_time<std::chrono::seconds>(zone_, second));
    } else {
      out += date::format("%FT%T%Ez", date::zoned_time<Millis>(zone_, instant));
    }
    return;
  }
  const long long ms = (local - day).count();
  append_digits(out, year, 4);
  out += '-';
  append_digits(out, static_cast<unsigned>(ymd.month()), 2);
  out += '-';
  append_digits(out, static_cast<unsigned>(ymd.day()), 2);
  out += 'T';
  append_digits(out, ms / 3600000, 2);
  out += ':';
  append_digits(out, ms / 60000 % 60, 2);
  out += ':';
  append_digits(out, ms / 1000 % 60, 2);
  if (!whole_second) {
    out += '.';
    append_digits(out, ms % 1000, 3);
  }
  // The offset in whole minutes towards zero, as the date library writes %Ez.
  const long long minutes = std::chrono::duration_cast<std::chrono::minutes>(offset_).count();
  out += minutes < 0 ? '-' : '+';
  const long long size = minutes < 0 ? -minutes : minutes;
  append_digits(out, size / 60, 2);
  out += ':';
  append_digits(out, size % 60, 2);
}

}  // namespace kesta
