#pragma once
// Reading the plot file that kesta writes: a header line, then one row per
// time step with T, H, SEEP, SEEPT, BANK and BANKV.
#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kesta/deck.hpp"

namespace kesta::plot {

// The header line exactly as kesta prints it.
inline constexpr std::string_view kPlotHeader =
    "        T            H          SEEP        SEEPT       BANK        BANKV";

// kesta's lines are under 80 bytes. A longer line, or a byte that is not
// text, means another kind of file (a device, a binary), and reading stops
// there rather than taking in a file that never ends a line.
inline constexpr std::size_t kLongestPlotLine = 4096;

// The most rows a plot file holds: one per time step of the longest run kesta makes.
inline constexpr std::size_t kMostRows = static_cast<std::size_t>(NTLIMIT_CONTOUR);

// The columns of a row, in file order.
enum class Column { T, H, SEEP, SEEPT, BANK, BANKV };
inline constexpr std::size_t kColumnCount = 6;
std::string_view column_name(Column c);

using PlotRow = std::array<double, kColumnCount>;

// The columns hold the rows whose six values are all finite: rows with NaN or
// Infinity are counted but not drawn, since no point can be drawn for them.
// rows keeps every row as read, for passing the file on as a table.
struct PlotSeries {
  std::vector<double> columns[kColumnCount];
  std::vector<PlotRow> rows;
  std::size_t rows_read = 0;     // time-step rows in the file
  std::size_t rows_skipped = 0;  // of those, rows holding NaN or Infinity

  const std::vector<double>& operator[](Column c) const { return columns[static_cast<int>(c)]; }
  std::size_t size() const { return columns[0].size(); }
};

// A plot file that cannot be read; the message names the line and field.
class PlotFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Builds the series as the file's bytes arrive, a line at a time: a file that
// is not a plot file is refused at its first line, whatever follows it. The
// pieces may end anywhere, within a line or a CR LF; the series and any error
// are those of the whole text read at once.
class PlotFileReader {
 public:
  // most_rows: the most time-step rows a file may hold, by default the most
  // kesta computes (a contour run's NTLIMIT_CONTOUR).
  explicit PlotFileReader(std::size_t most_rows = kMostRows) : most_rows_(most_rows) {}
  // The next piece of the file; throws PlotFileError at the first fault.
  void feed(std::string_view bytes);
  // At the end of the file: the series, or the PlotFileError of a last line
  // cut short or a file without a header.
  PlotSeries finish();

 private:
  void take(std::string_view line, bool ended, bool too_long);
  void take_header(std::string_view line, bool ended);
  void take_row(std::string_view line);

  PlotSeries series_;
  std::string pending_;  // the start of a line that goes on in the next piece
  std::string first_line_;
  std::size_t line_number_ = 0;
  std::optional<std::size_t> first_blank_;  // of the blank lines since the last row
  bool header_seen_ = false;
  std::size_t most_rows_;
};

// Reads the whole text of a plot file. Records end in CR LF or LF alone;
// blank lines after the last row are ignored. The header must open the file,
// every byte must be text, and the last line must end: a file cut short
// mid-line has lost part of a row.
PlotSeries parse_plot_file(std::string_view text, std::size_t most_rows = kMostRows);

// Reads the file at path a piece at a time, judging each line as it comes;
// a missing or unreadable file is a PlotFileError too.
PlotSeries read_plot_file(const std::string& path);

}  // namespace kesta::plot
