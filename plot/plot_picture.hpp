#pragma once
// The picture of a plot file as SVG: panels over one time axis for the head,
// the seepage and the bank storage, and with a deck a panel on top for the
// stresses the model sees.
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "plot/picture_deck.hpp"
#include "plot/plot_file.hpp"
#include "plot/units.hpp"

namespace kesta::plot {

inline constexpr int kPictureWidth = 1000;
// The plotting area of every panel is this many pixel columns wide; a long
// series is thinned to them.
inline constexpr int kPlotColumns = 760;

// The dates of the drawn rows, for a time axis on the calendar.
struct PictureDates {
  const std::vector<double>* seconds = nullptr;  // since 1970 UTC, one per drawn row
  std::chrono::minutes offset{0};                // the clock the labels are in
  std::string first, last;                       // the first and last date as written
};

struct PictureOptions {
  std::string source_name;                // the plot file, named in the picture
  Units units;                            // of the deck; L and T when not given
  const PictureDeck* deck = nullptr;      // adds the stress panel and the deck's titles
  const PictureDates* dates = nullptr;    // a date axis instead of the model time's
  std::string source_kind = "plot file";  // "plot file" or "case results", in the title
};

// Writes one self-contained SVG document: no scripts, no external files or
// fonts.
void write_plot_svg(const PlotSeries& series, const PictureOptions& options, std::ostream& out);

// Panels in a picture: three, four with a deck.
int panel_count(const PictureOptions& options);

}  // namespace kesta::plot
