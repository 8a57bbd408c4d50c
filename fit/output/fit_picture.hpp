#pragma once
// The picture of a fit: per record a panel of the observed points over the
// fitted curve and its shaded bands, and below it a panel of the residuals,
// drawn with plot/'s SVG writer, axes, units and thinning.
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "fit/case/deck_model.hpp"
#include "plot/units.hpp"

namespace kesta::fit_detail {

// The bands of the series a record observes, over the model's output steps;
// the prediction band's edges are empty where there is none.
struct PictureBand {
  std::vector<double> time;
  std::vector<double> conf_lower, conf_upper;
  std::vector<double> pred_lower, pred_upper;
};

struct PicturePanel {
  std::string name;
  Kind kind = Kind::Head;
  std::optional<double> distance;
  std::vector<double> observed_time, observed_value;
  std::vector<double> residual;  // observed - simulated, one per observation
  Curve fitted;
  std::optional<PictureBand> band;  // nothing when the fit has no bands
};

struct PictureText {
  std::string title;         // at the top
  plot::Units units;         // label every axis
  double band_level = 0.95;  // named in the legend
  // A dated fit: every time of the panels is then in seconds since
  // 1970-01-01T00:00Z, and the time axis is a calendar labelled in this
  // offset from UTC (that of the first date drawn).
  std::optional<std::chrono::minutes> date_offset;
};

// One self-contained SVG document.
void write_fit_svg(const std::vector<PicturePanel>& panels, const PictureText& text, std::ostream& out);

}  // namespace kesta::fit_detail
