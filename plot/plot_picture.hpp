#pragma once
// The picture of a plot file: three panels over one time axis, as SVG.
#include <ostream>
#include <string_view>

#include "plot/plot_file.hpp"

namespace kesta::plot {

inline constexpr int kPictureWidth = 1000;
inline constexpr int kPictureHeight = 800;
// The plotting area of every panel is this many pixel columns wide; a long
// series is thinned to them.
inline constexpr int kPlotColumns = 760;

// Writes one self-contained SVG document: no scripts, no external files or
// fonts. source_name is shown in the title.
void write_plot_svg(const PlotSeries& series, std::string_view source_name, std::ostream& out);

}  // namespace kesta::plot
