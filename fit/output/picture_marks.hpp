#pragma once
// The marks of one panel of the fit picture, thinned to the pixel columns
// they are drawn into, so that a record of a million observations draws in a
// few thousand marks with its peaks and troughs kept.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "plot/axis_scale.hpp"

namespace kesta::fit_detail {

// Where a panel draws: time across its columns, values up its height.
struct PanelFrame {
  plot::AxisScale time, value;
  double left = 0.0, top = 0.0, width = 0.0, height = 0.0;
  int columns = 1;  // pixel columns across the width

  double x_of(double t) const { return left + time.fraction(t) * width; }
  double y_of(double v) const { return top + (1.0 - value.fraction(v)) * height; }
  int column_of(double t) const;
};

// Indices of the samples of a series in time order worth drawing: per pixel
// column its first, lowest, highest and last. Samples that are not finite are
// left out.
std::vector<std::size_t> drawn_samples(const PanelFrame& frame, const std::vector<double>& time,
                                       const std::vector<double>& value);

// The points of an SVG polyline through the drawn samples.
std::string polyline_points(const PanelFrame& frame, const std::vector<double>& time, const std::vector<double>& value);

// The outline of a band, pixel points: its upper edge forward in time, then
// its lower edge back, each thinned as drawn_samples thins a series.
std::vector<std::pair<double, double>> band_outline(const PanelFrame& frame, const std::vector<double>& time,
                                                    const std::vector<double>& lower, const std::vector<double>& upper);

// Observed points, in any time order, thinned per pixel column. Where a
// column held more points than are drawn, spans gives the column's x and its
// lowest and highest value's y, drawn as a vertical stroke: the cloud of a
// dense record stays visible where its points were left out.
struct DrawnPoints {
  std::vector<std::size_t> kept;                                    // indices into the record, in time order
  std::vector<std::pair<double, std::pair<double, double>>> spans;  // x, (y of the highest, y of the lowest)
};
DrawnPoints drawn_points(const PanelFrame& frame, const std::vector<double>& time, const std::vector<double>& value);

}  // namespace kesta::fit_detail
