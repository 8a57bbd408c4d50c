#include "case/dated_record.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "case/case_error.hpp"

namespace kesta {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The cells of one line; a cell in double quotes loses them (no delimiter
// inside quotes is needed for times and numbers).
std::vector<std::string_view> cells_of(std::string_view line, char delimiter) {
  std::vector<std::string_view> cells;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(delimiter, start);
    std::string_view cell = trimmed(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = trimmed(cell.substr(1, cell.size() - 2));
    cells.push_back(cell);
    if (end == std::string_view::npos) return cells;
    start = end + 1;
  }
}

bool is_missing(std::string_view cell, const std::vector<std::string>& sentinels) {
  if (cell.empty() || cell == "NA" || cell == "NaN" || cell == "nan" || cell == "NAN" || cell == "N/A") return true;
  for (const std::string& s : sentinels)
    if (cell == s) return true;
  return false;
}

std::string quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  return "'" + std::string(text.substr(0, kShown)) + (text.size() > kShown ? "...'" : "'");
}

// Where a column stands (from 0), from the header when it is named.
std::size_t column_index(const ColumnChoice& choice, const std::vector<std::string_view>& header,
                         const std::string& shown, int line, std::string_view role) {
  if (choice.name.empty()) return static_cast<std::size_t>(choice.position - 1);
  for (std::size_t i = 0; i < header.size(); ++i)
    if (header[i] == choice.name) return i;
  throw CaseError(shown, line, "no column named " + quoted(choice.name) + " for the " + std::string(role));
}

// Reads the lines in order, knowing the record's kind (dated or numeric) from its first time.
class RecordReader {
 public:
  RecordReader(const std::string& shown, const RecordLayout& layout)
      : shown_(shown), layout_(layout), clock_(layout.format, layout.zone) {}

  Record read(std::string_view text) {
    Record record;
    record.shown = shown_;
    record.zone = layout_.zone;
    std::size_t time_at = static_cast<std::size_t>(layout_.time.position - 1);
    std::size_t value_at = static_cast<std::size_t>(layout_.value.position - 1);
    bool header_seen = !layout_.header;
    int line = 0;
    int missing_run = 0;
    std::string_view previous_text;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view row = trimmed(text.substr(start, end - start));
      start = end + 1;
      ++line;
      if (row.empty() || row.front() == '#') continue;
      const std::vector<std::string_view> cells = cells_of(row, layout_.delimiter);
      if (!header_seen) {
        header_seen = true;
        time_at = column_index(layout_.time, cells, shown_, line, "time");
        value_at = column_index(layout_.value, cells, shown_, line, "value");
        continue;
      }
      const std::size_t needed = std::max(time_at, value_at) + 1;
      if (cells.size() < needed)
        throw CaseError(shown_, line,
                        "holds " + std::to_string(cells.size()) + " column" + (cells.size() == 1 ? "" : "s") +
                            " where the record's time and value need " + std::to_string(needed));
      if (is_missing(cells[time_at], {})) throw CaseError(shown_, line, "a reading without a time");
      const double time = time_of(cells[time_at], record, line);
      if (previous_line_ > 0) check_order(time, cells[time_at], line, previous_text);
      previous_time_ = time;
      previous_line_ = line;
      previous_text = cells[time_at];
      const std::optional<double> value = number_in(cells[value_at]);
      if (is_missing(cells[value_at], layout_.missing) ||
          (value && std::find(layout_.missing_levels.begin(), layout_.missing_levels.end(), *value) !=
                        layout_.missing_levels.end())) {
        ++record.missing;
        ++missing_run;
        continue;
      }
      if (!value)
        throw CaseError(shown_, line,
                        "the value " + quoted(cells[value_at]) + " is not a number (a missing reading is written " +
                            "empty, NA, NaN or as the case's missing values)");
      record.readings.push_back({time, *value, line, missing_run});
      missing_run = 0;
    }
    if (record.readings.size() < 2)
      throw CaseError(shown_, 0,
                      "holds " + std::to_string(record.readings.size()) + " reading" +
                          (record.readings.size() == 1 ? "" : "s") + " with a value; a record needs at least two");
    return record;
  }

 private:
  double time_of(std::string_view cell, Record& record, int line) {
    if (!kind_known_) {
      // The first time says whether the record is dated: a plain number is a
      // time in the case's time unit, unless a format for dates is given.
      dated_ = !layout_.format.empty() || !number_in(cell);
      kind_known_ = true;
      record.dated = dated_;
    }
    if (!dated_) {
      const std::optional<double> t = number_in(cell);
      if (!t)
        throw CaseError(shown_, line, "the time " + quoted(cell) + " is not a number, as the record's first time is");
      return *t;
    }
    std::optional<Instant> previous;
    if (previous_line_ > 0) previous = Instant(std::chrono::milliseconds(static_cast<long long>(previous_time_)));
    const std::optional<Instant> t = clock_.read(cell, previous, line, record.local_times);
    if (!t)
      throw CaseError(shown_, line,
                      "the time " + quoted(cell) + " is not a date " +
                          (layout_.format.empty() ? std::string("in ISO 8601 (2023-05-01T01:07:00+02:00, "
                                                                "2023-05-01 01:07 or 2023-05-01)")
                                                  : "in the format \"" + layout_.format + "\""));
    return static_cast<double>(t->time_since_epoch().count());
  }

  void check_order(double time, std::string_view text, int line, std::string_view previous_text) const {
    if (time > previous_time_) return;
    throw CaseError(
        shown_, line,
        "the time " + quoted(text) +
            (time == previous_time_ ? " repeats the time of line " : " is earlier than the time ") +
            (time == previous_time_ ? std::to_string(previous_line_)
                                    : quoted(previous_text) + " of line " + std::to_string(previous_line_)) +
            "; times must increase down the record");
  }

  const std::string& shown_;
  const RecordLayout& layout_;
  TimeReader clock_;
  bool kind_known_ = false;
  bool dated_ = false;
  double previous_time_ = 0.0;
  int previous_line_ = 0;
};

}  // namespace

std::optional<double> number_in(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

Record read_record(std::string_view text, const std::string& shown_name, const RecordLayout& layout) {
  return RecordReader(shown_name, layout).read(text);
}

}  // namespace kesta
