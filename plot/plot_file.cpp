#include "plot/plot_file.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plot/e_field.hpp"

namespace kesta::plot {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view strip_record_end(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool is_blank(std::string_view line) { return line.find_first_not_of(kBlanks) == std::string_view::npos; }

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(strip_record_end(text.substr(0, end)));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  while (!lines.empty() && is_blank(lines.back())) lines.pop_back();
  return lines;
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = line.find_first_not_of(kBlanks);
  while (at != std::string_view::npos) {
    const std::size_t end = line.find_first_of(kBlanks, at);
    fields.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
    at = line.find_first_not_of(kBlanks, end);
  }
  return fields;
}

// A short quotation of bad text for a one-line message.
std::string quoted(std::string_view text) {
  constexpr std::size_t kMaxShown = 24;
  std::string shown(text.substr(0, kMaxShown));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  if (text.size() > kMaxShown) shown += "...";
  return "'" + shown + "'";
}

[[noreturn]] void fail_at(std::size_t line_number, const std::string& what) {
  throw PlotFileError("line " + std::to_string(line_number) + ": " + what);
}

}  // namespace

std::string_view column_name(Column c) {
  static constexpr std::string_view names[kColumnCount] = {"T", "H", "SEEP", "SEEPT", "BANK", "BANKV"};
  return names[static_cast<int>(c)];
}

PlotSeries parse_plot_file(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) throw PlotFileError("the plot file is empty");
  const std::vector<std::string_view> lines = split_lines(text);
  // Trailing blanks on the header are harmless; anything else means another file.
  const std::string_view header = lines.front().substr(0, lines.front().find_last_not_of(kBlanks) + 1);
  if (header != kPlotHeader) fail_at(1, "not a kesta plot file (header " + quoted(lines.front()) + ")");

  PlotSeries series;
  for (std::size_t n = 1; n < lines.size(); ++n) {
    const std::size_t line_number = n + 1;
    const std::vector<std::string_view> fields = split_fields(lines[n]);
    if (fields.size() != kColumnCount)
      fail_at(line_number, "expected 6 numbers (T H SEEP SEEPT BANK BANKV), found " + std::to_string(fields.size()));
    PlotRow row;
    bool finite = true;
    for (std::size_t f = 0; f < kColumnCount; ++f) {
      const std::optional<double> value = read_e_field(fields[f]);
      if (!value)
        fail_at(line_number,
                std::string(column_name(static_cast<Column>(f))) + " " + quoted(fields[f]) + " is not a number");
      row[f] = *value;
      finite = finite && std::isfinite(*value);
    }
    ++series.rows_read;
    series.rows.push_back(row);
    if (!finite) {
      ++series.rows_skipped;
      continue;
    }
    for (std::size_t f = 0; f < kColumnCount; ++f) series.columns[f].push_back(row[f]);
  }
  return series;
}

PlotSeries read_plot_file(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw PlotFileError("is a directory, not a plot file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PlotFileError("cannot open: " + std::string(std::strerror(errno)));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw PlotFileError("cannot read: " + std::string(std::strerror(errno)));
  return parse_plot_file(text.str());
}

}  // namespace kesta::plot
