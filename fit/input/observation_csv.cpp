#include "fit/input/observation_csv.hpp"

#include <array>
#include <charconv>
#include <cmath>

#include "fit/estimation/number_text.hpp"
#include "fit/input/input_limits.hpp"
#include "fit/input/text_input.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {

namespace {

constexpr std::array<std::string_view, 3> kColumnNames = {"time", "value", "weight"};

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

// A field quoted back in a message: short, and only printable ASCII.
std::string quoted(std::string_view field) {
  constexpr std::size_t kShown = 24;
  std::string out = "'";
  for (std::size_t i = 0; i < field.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  }
  if (field.size() > kShown) out += "...";
  return out + "'";
}

std::string column_label(std::size_t index) {
  return "column " + std::to_string(index + 1) + " (" + std::string(kColumnNames[index]) + ")";
}

// Why a number too large is refused; after "N is".
std::string beyond_largest() {
  return "larger in magnitude than " + shortest(kLargestMagnitude) +
         ", the largest kesta-fit takes: a fit squares and sums weighted values";
}

// Weighted values are squared and summed: values whose squares vanish or
// cannot be held are refused here, where the line can be named.
void check_magnitudes(double value, double weight, int line_number, const std::string& file) {
  if (std::abs(value) > kLargestMagnitude)
    throw FitInputError(file, line_number, column_label(1) + ": " + shortest(value) + " is " + beyond_largest());
  if (weight > kLargestMagnitude)
    throw FitInputError(file, line_number, column_label(2) + ": " + shortest(weight) + " is " + beyond_largest());
  if (weight > 0.0 && weight < kSmallestMagnitude)
    throw FitInputError(file, line_number,
                        column_label(2) + ": " + shortest(weight) + " is smaller than " + shortest(kSmallestMagnitude) +
                            ", the smallest positive weight kesta-fit takes; a weight of 0 leaves the line out");
  if (std::abs(value) * weight > kLargestMagnitude)
    throw FitInputError(
        file, line_number,
        column_label(2) + ": " + shortest(weight) + " times the value " + shortest(value) + " is " + beyond_largest());
}

CsvObservation parse_line(std::string_view line, int line_number, const std::string& file) {
  const std::vector<std::string_view> fields = split_fields(line);
  if (fields.size() > kColumnNames.size())
    throw FitInputError(file, line_number, "column 4: more than three values; expected time,value[,weight]");
  double values[3] = {0.0, 0.0, 1.0};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::optional<double> v = csv_number(fields[i]);
    if (!v) {
      const std::string_view what = trimmed(fields[i]).empty() ? "is empty" : "is not a finite number";
      const std::string shown = trimmed(fields[i]).empty() ? "" : quoted(trimmed(fields[i])) + " ";
      throw FitInputError(file, line_number, column_label(i) + ": " + shown + std::string(what));
    }
    values[i] = *v;
  }
  if (fields.size() < 2)
    throw FitInputError(file, line_number, "column 2 (value): missing; expected time,value[,weight]");
  // A weight of zero keeps a line in the residual file without counting it.
  if (values[2] < 0.0) throw FitInputError(file, line_number, column_label(2) + ": must be zero or positive");
  check_magnitudes(values[1], values[2], line_number, file);
  return {values[0], values[1], values[2], line_number};
}

bool looks_numeric(std::string_view line) {
  const std::vector<std::string_view> fields = split_fields(line);
  for (std::string_view f : fields)
    if (!csv_number(f)) return false;
  return true;
}

}  // namespace

std::optional<double> csv_number(std::string_view field) {
  std::string_view s = trimmed(field);
  // from_chars takes no plus sign, but people and spreadsheets write one.
  if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::vector<CsvObservation> parse_observation_csv(std::string_view text, const std::string& file) {
  // Without the byte-order mark, a first line of numbers is refused as it
  // would be without one, and not taken for the header.
  text = checked_text(text, file, record_text());
  std::vector<CsvObservation> out;
  int line_number = 0;
  bool header_seen = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!header_seen) {
      // Data on the first line would be taken for the header and lost.
      if (looks_numeric(line))
        throw FitInputError(file, line_number, "the first line must be a header (column names), but it holds numbers");
      header_seen = true;
      continue;
    }
    if (trimmed(line).empty()) continue;
    out.push_back(parse_line(line, line_number, file));
  }
  if (!header_seen) throw FitInputError(file, 0, "empty file; expected a header line, then time,value[,weight] lines");
  if (out.empty()) throw FitInputError(file, 0, "no observations after the header line");
  return out;
}

std::vector<CsvObservation> read_observation_csv(const std::filesystem::path& path, const std::string& shown_name) {
  return parse_observation_csv(read_text_input(path, shown_name, record_text()), shown_name);
}

}  // namespace kesta::fit_detail
