#pragma once
// Reading the plot file that kesta writes: a header line, then one row per
// time step with T, H, SEEP, SEEPT, BANK and BANKV.
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kesta::plot {

// The header line exactly as kesta prints it.
inline constexpr std::string_view kPlotHeader =
    "        T            H          SEEP        SEEPT       BANK        BANKV";

// kesta's lines are under 80 bytes. A longer line, or a byte that is not
// text, means another kind of file (a device, a binary), and reading stops
// there rather than taking in a file that never ends a line.
inline constexpr std::size_t kLongestPlotLine = 4096;

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

// Reads the whole text of a plot file. Records end in CR LF or LF alone;
// blank lines after the last row are ignored. The header must open the file,
// every byte must be text, and the last line must end: a file cut short
// mid-line has lost part of a row.
PlotSeries parse_plot_file(std::string_view text);

// Reads the file at path a piece at a time, judging each line as it comes;
// a missing or unreadable file is a PlotFileError too.
PlotSeries read_plot_file(const std::string& path);

}  // namespace kesta::plot
