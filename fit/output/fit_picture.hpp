#pragma once
// The picture of a fit: one panel per observation set, the observed points
// over the fitted curve, drawn with plot/'s SVG writer and axes.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "fit/case/deck_model.hpp"

namespace kesta::fit_detail {

struct PicturePanel {
  std::string name;
  Kind kind = Kind::Head;
  std::optional<double> distance;
  std::vector<double> observed_time, observed_value;
  Curve fitted;
};

// One self-contained SVG document; title goes at the top.
void write_fit_svg(const std::vector<PicturePanel>& panels, std::string_view title, std::ostream& out);

}  // namespace kesta::fit_detail
