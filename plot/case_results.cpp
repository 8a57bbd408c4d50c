#include "plot/case_results.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace kesta::plot {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::size_t kShownBytes = 40;

std::string quoted(std::string_view text) {
  return "'" + printable_utf8(text.substr(0, kShownBytes)) + (text.size() > kShownBytes ? "...'" : "'");
}

[[noreturn]] void fault(std::size_t line, const std::string& what) {
  throw PlotFileError("line " + std::to_string(line) + ": " + what);
}

std::vector<std::string_view> cells_of(std::string_view line) {
  std::vector<std::string_view> cells;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(',', start);
    cells.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return cells;
    start = end + 1;
  }
}

// "name (unit)" with the unit between the brackets, or false.
bool named_with_unit(std::string_view cell, std::string_view name, std::string& unit) {
  if (cell.size() < name.size() + 3 || cell.substr(0, name.size()) != name || cell.back() != ')') return false;
  if (cell.substr(name.size(), 2) != " (") return false;
  unit = std::string(cell.substr(name.size() + 2, cell.size() - name.size() - 3));
  return !unit.empty();
}

bool digits(std::string_view s, std::size_t at, int n, int& value) {
  value = 0;
  for (int i = 0; i < n; ++i) {
    if (at + i >= s.size() || s[at + i] < '0' || s[at + i] > '9') return false;
    value = value * 10 + (s[at + i] - '0');
  }
  return true;
}

// The header's columns after the time (and date): their names with units
// that follow from the length and time units.
bool results_columns(const std::vector<std::string_view>& cells, std::size_t from, const std::string& L,
                     const std::string& T) {
  const std::string expected[] = {"head (" + L + ")", "seepage (" + L + "^2/" + T + ")",
                                  "total seepage (" + L + "^3/" + T + ")", "bank storage (" + L + "^2)",
                                  "bank-storage volume (" + L + "^3)"};
  if (cells.size() != from + std::size(expected)) return false;
  for (std::size_t i = 0; i < std::size(expected); ++i)
    if (cells[from + i] != expected[i]) return false;
  return true;
}

// Takes the file a line at a time, so that a file of a million rows is never
// held whole beside its columns.
class ResultsReader {
 public:
  void take(std::string_view row) {
    ++line_;
    if (line_ == 1 && row.substr(0, 3) == "\xEF\xBB\xBF") row.remove_prefix(3);
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    check_text(row, line_);
    if (row.empty() || row.front() == '#') return;
    if (!header_seen_) return header(row, line_);
    take_row(row, line_);
  }

  CaseResults finish() {
    if (!header_seen_) fault(line_, "no header line: not the results of kesta --case");
    return std::move(r_);
  }

 private:
  static void check_text(std::string_view row, std::size_t line) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      const auto c = static_cast<unsigned char>(row[i]);
      if (c < 0x20 && c != '\t') {
        char hex[8];
        (void)std::snprintf(hex, sizeof hex, "0x%02x", c);
        fault(line, "column " + std::to_string(i + 1) + ": byte " + hex + " is not text: not a case's results");
      }
    }
  }

  void header(std::string_view row, std::size_t line) {
    const std::vector<std::string_view> cells = cells_of(row);
    std::string T, L;
    r_.dated = cells.size() > 1 && cells[1] == "date";
    const std::size_t first_result = r_.dated ? 2 : 1;
    if (!named_with_unit(cells[0], "time", T) || cells.size() <= first_result ||
        !named_with_unit(cells[first_result], "head", L) || !results_columns(cells, first_result, L, T))
      fault(line, "the header " + quoted(row) + " is not that of kesta --case's results (time (T),date,head (L),...)");
    r_.units.length = L;
    r_.units.time = T;
    columns_ = first_result + 5;
    header_seen_ = true;
  }

  void take_row(std::string_view row, std::size_t line) {
    const std::vector<std::string_view> cells = cells_of(row);
    if (cells.size() != columns_)
      fault(line,
            "holds " + std::to_string(cells.size()) + " fields where the header names " + std::to_string(columns_));
    if (r_.series.rows_read == kMostRows)
      fault(line, "more rows than the " + std::to_string(kMostRows) + " time steps kesta computes");
    PlotRow values{};
    for (std::size_t c = 0, v = 0; c < cells.size(); ++c) {
      if (r_.dated && c == 1) continue;
      const std::string_view cell = cells[c];
      const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), values[v]);
      if (cell.empty() || error != std::errc() || end != cell.data() + cell.size())
        fault(line, "field " + std::to_string(c + 1) + ", " + quoted(cell) + ", is not a number");
      ++v;
    }
    double seconds = 0.0;
    std::chrono::minutes offset{0};
    if (r_.dated && !parse_iso_date(cells[1], seconds, offset))
      fault(line, "the date " + quoted(cells[1]) + " is not ISO 8601 with its offset (2023-05-01T01:07:00+02:00)");
    ++r_.series.rows_read;
    bool finite = true;
    for (double v : values) finite = finite && std::isfinite(v);
    if (!finite) {
      ++r_.series.rows_skipped;
      return;
    }
    for (std::size_t i = 0; i < kColumnCount; ++i) r_.series.columns[i].push_back(values[i]);
    if (!r_.dated) return;
    if (r_.seconds.empty()) {
      r_.first_date = std::string(cells[1]);
      r_.offset = offset;
    }
    r_.last_date = std::string(cells[1]);
    r_.seconds.push_back(seconds);
  }

  CaseResults r_;
  std::size_t line_ = 0;
  bool header_seen_ = false;
  std::size_t columns_ = 0;
};

}  // namespace

bool looks_like_case_results(std::string_view start) {
  if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
  return start.substr(0, 1) == "#" || start.substr(0, 6) == "time (";
}

bool parse_iso_date(std::string_view s, double& seconds, std::chrono::minutes& offset) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0;
  if (!digits(s, 0, 4, y) || s.substr(4, 1) != "-" || !digits(s, 5, 2, mo) || s.substr(7, 1) != "-" ||
      !digits(s, 8, 2, d) || s.substr(10, 1) != "T" || !digits(s, 11, 2, h) || s.substr(13, 1) != ":" ||
      !digits(s, 14, 2, mi))
    return false;
  std::size_t at = 16;
  if (s.substr(at, 1) == ":") {
    if (!digits(s, at + 1, 2, sec)) return false;
    at += 3;
    if (s.substr(at, 1) == ".") {
      if (!digits(s, at + 1, 3, ms)) return false;
      at += 4;
    }
  }
  int oh = 0, om = 0;
  const std::string_view sign = s.substr(at, 1);
  if ((sign != "+" && sign != "-") || !digits(s, at + 1, 2, oh) || s.substr(at + 3, 1) != ":" ||
      !digits(s, at + 4, 2, om) || s.size() != at + 6)
    return false;
  const std::chrono::year_month_day ymd{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(mo)),
                                        std::chrono::day(static_cast<unsigned>(d))};
  if (!ymd.ok() || h > 23 || mi > 59 || sec > 59 || om > 59) return false;
  offset = std::chrono::minutes((sign == "-" ? -1 : 1) * (oh * 60 + om));
  const double day = static_cast<double>(sys_days(ymd).time_since_epoch().count());
  seconds = day * 86400.0 + h * 3600.0 + mi * 60.0 + sec + ms / 1000.0 - static_cast<double>(offset.count()) * 60.0;
  return true;
}

CaseResults parse_case_results(std::string_view text) {
  ResultsReader reader;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    reader.take(text.substr(start, end - start));
    start = end + 1;
  }
  return reader.finish();
}

CaseResults read_case_results(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PlotFileError("cannot be opened");
  ResultsReader reader;
  for (std::string row; std::getline(in, row);) reader.take(row);
  if (in.bad()) throw PlotFileError("cannot be read");
  return reader.finish();
}

}  // namespace kesta::plot
