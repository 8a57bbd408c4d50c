#pragma once
// The picture of a plot file as SVG: panels over one time axis for the head,
// the seepage and the bank storage, and with a deck a panel on top for the
// stresses the model sees.
#include <ostream>
#include <string>

#include "plot/picture_deck.hpp"
#include "plot/plot_file.hpp"
#include "plot/units.hpp"

namespace kesta::plot {

inline constexpr int kPictureWidth = 1000;
// The plotting area of every panel is this many pixel columns wide; a long
// series is thinned to them.
inline constexpr int kPlotColumns = 760;

struct PictureOptions {
  std::string source_name;            // the plot file, named in the picture
  Units units;                        // of the deck; L and T when not given
  const PictureDeck* deck = nullptr;  // adds the stress panel and the deck's titles
};

// Writes one self-contained SVG document: no scripts, no external files or
// fonts.
void write_plot_svg(const PlotSeries& series, const PictureOptions& options, std::ostream& out);

// Panels in a picture: three, four with a deck.
int panel_count(const PictureOptions& options);

}  // namespace kesta::plot
