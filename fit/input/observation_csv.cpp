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

// A field without the double quotes a spreadsheet may put around it.
std::string_view unquoted(std::string_view field) {
  field = trimmed(field);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = field.substr(1, field.size() - 2);
  return field;
}

// What a date looks like: a digit and a date's or a clock's separator. Such a
// time in a fit without a calendar gets a message of its own.
bool looks_like_date(std::string_view field) {
  const bool digit = field.find_first_of("0123456789") != std::string_view::npos;
  const std::size_t dash = field.find('-', 1);
  const bool exponent = dash != std::string_view::npos && (field[dash - 1] == 'e' || field[dash - 1] == 'E');
  return digit &&
         (field.find_first_of(":/") != std::string_view::npos || (dash != std::string_view::npos && !exponent));
}

// How one record's lines read: where its columns stand, and whether its times
// are numbers or dates (the first time decides; a format makes them dates).
struct Reading {
  std::size_t time = 0, value = 1;
  bool chosen = false;  // columns named in the fit file: the others unread, weight 1
  const RecordLayout* layout = nullptr;
  const DateReader* dates = nullptr;
  bool decided = false, dated = false;
};

std::string label(const Reading& r, std::size_t index, std::size_t role) {
  if (!r.chosen) return column_label(role);
  return "column " + std::to_string(index + 1) + " (" + std::string(kColumnNames[role]) + ")";
}

[[noreturn]] void refuse_field(const Reading& r, std::string_view field, std::size_t index, std::size_t role,
                               int line_number, const std::string& file) {
  const std::string_view what = trimmed(field).empty() ? "is empty" : "is not a finite number";
  const std::string shown = trimmed(field).empty() ? "" : quoted(trimmed(field)) + " ";
  throw FitInputError(file, line_number, label(r, index, role) + ": " + shown + std::string(what));
}

double time_of(Reading& r, std::string_view field, int line_number, const std::string& file) {
  const std::string_view text = unquoted(field);
  const std::optional<double> number = csv_number(text);
  if (!r.decided) {
    r.decided = true;
    r.dated = !r.layout->format.empty() || (!number && !text.empty());
  }
  if (!r.dated) {
    if (!number) refuse_field(r, field, r.time, 0, line_number, file);
    return *number;
  }
  if (!*r.dates) {
    if (!looks_like_date(text)) refuse_field(r, field, r.time, 0, line_number, file);
    throw FitInputError(file, line_number,
                        label(r, r.time, 0) + ": " + quoted(text) +
                            " is a date, and dates need a calendar; name a case instead of the deck in the fit file");
  }
  return (*r.dates)(text, line_number);
}

CsvObservation parse_line(Reading& r, std::string_view line, int line_number, const std::string& file) {
  const std::vector<std::string_view> fields = split_fields(line);
  if (r.chosen) {
    for (const auto& [index, role] : {std::pair{r.time, std::size_t{0}}, std::pair{r.value, std::size_t{1}}})
      if (index >= fields.size())
        throw FitInputError(
            file, line_number,
            label(r, index, role) + ": missing; the line has " + std::to_string(fields.size()) + " columns");
    const double time = time_of(r, fields[r.time], line_number, file);
    const std::optional<double> value = csv_number(unquoted(fields[r.value]));
    if (!value) refuse_field(r, fields[r.value], r.value, 1, line_number, file);
    check_magnitudes(*value, 1.0, line_number, file);
    return {time, *value, 1.0, line_number};
  }
  if (fields.size() > kColumnNames.size())
    throw FitInputError(file, line_number, "column 4: more than three values; expected time,value[,weight]");
  double values[3] = {0.0, 0.0, 1.0};
  values[0] = time_of(r, fields[0], line_number, file);
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const std::optional<double> v = csv_number(fields[i]);
    if (!v) refuse_field(r, fields[i], i, i, line_number, file);
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

// The column a name in the header, or a position, stands for.
std::size_t column_of(std::string_view header, const std::string& name, int position, std::string_view role,
                      const std::string& file) {
  if (name.empty()) return static_cast<std::size_t>(position - 1);
  const std::vector<std::string_view> fields = split_fields(header);
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (unquoted(fields[i]) == name) return i;
  throw FitInputError(file, 1,
                      "the header has no column " + quoted(std::string_view(name)) + " (the fit file's " +
                          std::string(role) + " column); its columns are " + quoted(header));
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
  return parse_observation_csv(text, file, RecordLayout{}, DateReader{});
}

std::vector<CsvObservation> parse_observation_csv(std::string_view text, const std::string& file,
                                                  const RecordLayout& layout, const DateReader& dates) {
  // Without the byte-order mark, a first line of numbers is refused as it
  // would be without one, and not taken for the header.
  text = checked_text(text, file, record_text());
  Reading reading;
  reading.layout = &layout;
  reading.dates = &dates;
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
      if (layout.columns_chosen) {
        reading.chosen = true;
        reading.time = column_of(line, layout.time_name, layout.time_position, "time", file);
        reading.value = column_of(line, layout.value_name, layout.value_position, "value", file);
        if (reading.time == reading.value)
          throw FitInputError(
              file, 1,
              "the fit file names column " + std::to_string(reading.time + 1) + " for both the time and the value");
      }
      continue;
    }
    if (trimmed(line).empty()) continue;
    out.push_back(parse_line(reading, line, line_number, file));
  }
  if (!header_seen) throw FitInputError(file, 0, "empty file; expected a header line, then time,value[,weight] lines");
  if (out.empty()) throw FitInputError(file, 0, "no observations after the header line");
  return out;
}

std::vector<CsvObservation> read_observation_csv(const std::filesystem::path& path, const std::string& shown_name) {
  return parse_observation_csv(read_text_input(path, shown_name, record_text()), shown_name);
}

}  // namespace kesta::fit_detail

namespace kesta::fit_detail {

std::vector<CsvObservation> read_observation_csv(const std::filesystem::path& path, const std::string& shown_name,
                                                 const RecordLayout& layout, const DateReader& dates) {
  return parse_observation_csv(read_text_input(path, shown_name, record_text()), shown_name, layout, dates);
}

}  // namespace kesta::fit_detail
