// kesta-plot's plot-file reader on arbitrary bytes.
//
// Input: byte 0 and byte 1 choose how the text is cut into pieces for the
// reader (a file is read a piece at a time); the rest is the plot file. Every
// run must end in one of the defined ways:
//  - the file was read: it opens with the header, every line ends, every byte
//    is text; the counts and columns agree with the rows; the rows printed as
//    kesta prints them read back, and print the same text a second time;
//  - a PlotFileError: one line of printable text that names a line of the
//    file, or says that the file is empty (blanks alone).
// Read in pieces, the file gives the same rows, or the same message, as whole.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "io/record_editing.hpp"
#include "kesta/deck.hpp"
#include "plot/plot_file.hpp"

namespace {

using kesta::plot::PlotFileError;
using kesta::plot::PlotFileReader;
using kesta::plot::PlotSeries;

struct Outcome {
  PlotSeries series;
  std::string error;  // empty when the file was read
};

Outcome read_in_pieces(std::string_view text, std::uint8_t first, std::uint8_t step) {
  Outcome o;
  try {
    PlotFileReader reader;
    for (std::size_t i = 0; !text.empty(); ++i) {
      const std::size_t n = 1 + (first + i * step) % 128;
      reader.feed(text.substr(0, n));
      text.remove_prefix(std::min(n, text.size()));
    }
    o.series = reader.finish();
  } catch (const PlotFileError& e) {
    o.error = e.what();
  }
  return o;
}

Outcome read_whole(std::string_view text) {
  Outcome o;
  try {
    o.series = kesta::plot::parse_plot_file(text);
  } catch (const PlotFileError& e) {
    o.error = e.what();
  }
  return o;
}

bool same_rows(const PlotSeries& a, const PlotSeries& b) {
  return a.rows.size() == b.rows.size() &&
         (a.rows.empty() || std::memcmp(a.rows.data(), b.rows.data(), a.rows.size() * sizeof a.rows[0]) == 0);
}

bool is_text(unsigned char c) { return c == '\t' || (c >= 0x20 && c < 0x7F); }

// The rows as kesta prints them: 1X,E13.6,2X,E11.5,2X,E10.4 and four more E10.4.
std::string printed(const PlotSeries& s) {
  std::string text = std::string(kesta::plot::kPlotHeader) + "\r\n";
  for (const kesta::plot::PlotRow& r : s.rows)
    text += " " + kesta::edit_real(r[0], 13, 6, 'E') + "  " + kesta::edit_real(r[1], 11, 5, 'E') + "  " +
            kesta::edit_real(r[2], 10, 4, 'E') + "  " + kesta::edit_real(r[3], 10, 4, 'E') + "  " +
            kesta::edit_real(r[4], 10, 4, 'E') + "  " + kesta::edit_real(r[5], 10, 4, 'E') + "\r\n";
  return text;
}

void check_read(std::string_view text, const PlotSeries& s) {
  if (text.substr(0, kesta::plot::kPlotHeader.size()) != kesta::plot::kPlotHeader) std::abort();
  if (text.back() != '\n') std::abort();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!is_text(c) && c != '\n' && !(c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) std::abort();
  }
  if (s.rows.size() != s.rows_read || s.rows_read > kesta::plot::kMostRows) std::abort();
  // The columns hold the finite rows, in order; the others are counted.
  std::size_t drawn = 0;
  for (const kesta::plot::PlotRow& r : s.rows) {
    bool finite = true;
    for (double v : r) finite = finite && std::isfinite(v);
    if (!finite) continue;
    for (std::size_t f = 0; f < kesta::plot::kColumnCount; ++f)
      if (drawn >= s.columns[f].size() || std::memcmp(&s.columns[f][drawn], &r[f], sizeof r[f]) != 0) std::abort();
    ++drawn;
  }
  if (drawn != s.size() || s.rows_skipped != s.rows_read - drawn) std::abort();
  for (const auto& column : s.columns)
    if (column.size() != drawn) std::abort();
  // Printing rounds each value once; what is read back prints the same again.
  const Outcome again = read_whole(printed(s));
  if (!again.error.empty() || again.series.rows_read != s.rows_read) std::abort();
  const std::string once = printed(again.series);
  if (!read_whole(once).error.empty() || printed(read_whole(once).series) != once) std::abort();
}

void check_error(std::string_view text, const std::string& error) {
  for (char c : error)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) std::abort();
  if (error == "the plot file is empty") {
    if (text.find_first_not_of(" \t\r\n") != std::string_view::npos) std::abort();
    return;
  }
  if (error.rfind("line ", 0) != 0) std::abort();
  const std::size_t lines = 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (std::strtoull(error.c_str() + 5, nullptr, 10) - 1 >= lines) std::abort();  // line 0 wraps round
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  const Outcome whole = read_whole(text);
  const Outcome pieces = read_in_pieces(text, data[0], data[1]);
  if (whole.error != pieces.error) std::abort();
  if (whole.error.empty()) {
    if (!same_rows(whole.series, pieces.series) || whole.series.rows_skipped != pieces.series.rows_skipped)
      std::abort();
    check_read(text, whole.series);
  } else {
    check_error(text, whole.error);
  }
  return 0;
}
