#include "plot/csv_table.hpp"

#include <charconv>
#include <cmath>

namespace kesta::plot {

void write_csv(const PlotSeries& series, const Units& units, std::ostream& out) {
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    const Column column = static_cast<Column>(c);
    out << (c > 0 ? "," : "") << column_name(column) << " (" << units.of(column, UnitStyle::Ascii) << ")";
  }
  out << '\n';
  char text[32];
  for (const PlotRow& row : series.rows) {
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      if (c > 0) out << ',';
      if (!std::isfinite(row[c])) continue;
      const auto end = std::to_chars(text, text + sizeof text, row[c]).ptr;
      out.write(text, end - text);
    }
    out << '\n';
  }
}

}  // namespace kesta::plot
