#pragma once
// The plot file as CSV, for spreadsheets and notebooks.
#include <ostream>

#include "plot/plot_file.hpp"
#include "plot/units.hpp"

namespace kesta::plot {

// A header naming each column and its unit, "T (d),H (m),SEEP (m^2/d),...",
// then every row of the plot file as read, each number in the fewest digits
// that read back to the same double. NaN and Infinity become empty fields,
// which spreadsheets and CSV readers take as missing values. Lines end in LF.
void write_csv(const PlotSeries& series, const Units& units, std::ostream& out);

}  // namespace kesta::plot
