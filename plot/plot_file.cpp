#include "plot/plot_file.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "plot/e_field.hpp"

namespace kesta::plot {

namespace {

constexpr std::string_view kBlanks = " \t";

// Pieces read from the file at a time.
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

bool is_blank(std::string_view line) { return line.find_first_not_of(kBlanks) == std::string_view::npos; }

// A plot file is ASCII text: printable characters and tabs between line ends.
bool is_text(unsigned char c) { return c == '\t' || (c >= 0x20 && c < 0x7F); }

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
std::string quotation(std::string_view text) {
  constexpr std::size_t kMaxShown = 24;
  std::string shown(text.substr(0, kMaxShown));
  for (char& c : shown)
    if (!is_text(static_cast<unsigned char>(c)) || c == '\t') c = '?';
  if (text.size() > kMaxShown) shown += "...";
  return "'" + shown + "'";
}

[[noreturn]] void fail_at(std::size_t line_number, const std::string& what) {
  throw PlotFileError("line " + std::to_string(line_number) + ": " + what);
}

struct CloseFile {
  void operator()(std::FILE* f) const { (void)std::fclose(f); }  // only read: nothing to lose
};

}  // namespace

std::string_view column_name(Column c) {
  static constexpr std::string_view names[kColumnCount] = {"T", "H", "SEEP", "SEEPT", "BANK", "BANKV"};
  return names[static_cast<int>(c)];
}

void PlotFileReader::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view part = bytes.substr(0, end);
    if (end == std::string_view::npos) {
      // The line goes on in the next piece; past the bound it is judged on the
      // bytes kept.
      pending_.append(part.substr(0, kLongestPlotLine + 1 - pending_.size()));
      if (pending_.size() > kLongestPlotLine) take(pending_, false, true);
      return;
    }
    if (pending_.empty()) {
      take(part, true, part.size() > kLongestPlotLine);
    } else {
      pending_.append(part.substr(0, kLongestPlotLine + 1 - pending_.size()));
      take(pending_, true, pending_.size() > kLongestPlotLine);
      pending_.clear();
    }
    bytes.remove_prefix(end + 1);
  }
}

PlotSeries PlotFileReader::finish() {
  if (!pending_.empty()) take(pending_, false, false);
  if (!header_seen_) throw PlotFileError("the plot file is empty");
  return std::move(series_);
}

// One line without its line feed; `ended` when the line feed was there.
void PlotFileReader::take(std::string_view line, bool ended, bool too_long) {
  ++line_number_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (is_text(byte)) continue;
    char shown[8];
    (void)std::snprintf(shown, sizeof shown, "0x%02X", byte);
    throw PlotFileError("line " + std::to_string(line_number_) + ", column " + std::to_string(i + 1) + ": byte " +
                        shown + " is not text: not a kesta plot file");
  }
  if (too_long)
    fail_at(line_number_,
            "longer than " + std::to_string(kLongestPlotLine) + " bytes without a line end: not a kesta plot file");
  if (!header_seen_) return take_header(line, ended);
  if (!ended) fail_at(line_number_, "cut off before its line end: the plot file is truncated");
  if (is_blank(line)) {
    if (!first_blank_) first_blank_ = line_number_;
    return;
  }
  // Blank lines are harmless only after the last row.
  if (first_blank_) fail_at(*first_blank_, "expected 6 numbers (T H SEEP SEEPT BANK BANKV), found 0");
  if (series_.rows_read == most_rows_)
    fail_at(line_number_, "more rows than the " + std::to_string(most_rows_) + " time steps kesta computes at most");
  take_row(line);
}

void PlotFileReader::take_header(std::string_view line, bool ended) {
  // A blank first line makes an empty file, or another file: what follows tells.
  if (is_blank(line)) {
    if (line_number_ == 1) first_line_ = line;
    return;
  }
  if (line_number_ > 1) fail_at(1, "not a kesta plot file (header " + quotation(first_line_) + ")");
  // Trailing blanks on the header are harmless; anything else means another file.
  if (line.substr(0, line.find_last_not_of(kBlanks) + 1) != kPlotHeader)
    fail_at(1, "not a kesta plot file (header " + quotation(line) + ")");
  header_seen_ = true;
  if (!ended) fail_at(1, "cut off before its line end: the plot file is truncated");
}

void PlotFileReader::take_row(std::string_view line) {
  const std::vector<std::string_view> fields = split_fields(line);
  if (fields.size() != kColumnCount)
    fail_at(line_number_, "expected 6 numbers (T H SEEP SEEPT BANK BANKV), found " + std::to_string(fields.size()));
  PlotRow row;
  bool finite = true;
  for (std::size_t f = 0; f < kColumnCount; ++f) {
    const std::optional<double> value = read_e_field(fields[f]);
    if (!value)
      fail_at(line_number_,
              std::string(column_name(static_cast<Column>(f))) + " " + quotation(fields[f]) + " is not a number");
    row[f] = *value;
    finite = finite && std::isfinite(*value);
  }
  ++series_.rows_read;
  series_.rows.push_back(row);
  if (!finite) {
    ++series_.rows_skipped;
    return;
  }
  for (std::size_t f = 0; f < kColumnCount; ++f) series_.columns[f].push_back(row[f]);
}

PlotSeries parse_plot_file(std::string_view text, std::size_t most_rows) {
  PlotFileReader reader(most_rows);
  reader.feed(text);
  return reader.finish();
}

PlotSeries read_plot_file(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw PlotFileError("is a directory, not a plot file");
  errno = 0;
  const std::unique_ptr<std::FILE, CloseFile> in(std::fopen(path.c_str(), "rb"));
  if (!in) throw PlotFileError("cannot open: " + std::string(std::strerror(errno)));
  PlotFileReader reader;
  std::vector<char> piece(kPieceBytes);
  for (;;) {
    const std::size_t n = std::fread(piece.data(), 1, piece.size(), in.get());
    if (n > 0) reader.feed(std::string_view(piece.data(), n));
    if (n < piece.size()) break;
  }
  if (std::ferror(in.get())) throw PlotFileError("cannot read: " + std::string(std::strerror(errno)));
  return reader.finish();
}

}  // namespace kesta::plot
