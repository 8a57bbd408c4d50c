// Marks a reader relies on: a dot at every point of a short series, and a zero
// line only where zero lies inside a panel (or on its edge, for seepage).
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "plot/plot_file.hpp"
#include "plot/plot_picture.hpp"
#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The group of one panel in the picture.
std::string panel(const std::string& svg, const std::string& id) {
  const auto start = svg.find("id=\"panel-" + id + "\"");
  return svg.substr(start, svg.find("</g>", start) - start);
}

TEST(PictureMarks, DotsOnShortSeriesAndZeroLinesWhereZeroIsInside) {
  // Ramp rows: H and BANK rise from 0 (zero is the bottom edge), SEEP falls to
  // 0 at most (zero is the top edge, marked for seepage).
  const struct {
    int rows;
    std::size_t dots;  // five series
  } cases[] = {{60, 5 * 60}, {61, 0}};
  for (const auto& c : cases) {
    std::ostringstream svg;
    write_plot_svg(parse_plot_file(testing::plot_file_text(testing::ramp_rows(c.rows))), "plot.txt", svg);
    EXPECT_EQ(count(svg.str(), "<circle"), c.dots) << c.rows;
    EXPECT_EQ(count(panel(svg.str(), "head"), "zero-line"), 0u) << c.rows;
    EXPECT_EQ(count(panel(svg.str(), "seepage"), "zero-line"), 1u) << c.rows;
    EXPECT_EQ(count(panel(svg.str(), "bank"), "zero-line"), 0u) << c.rows;
  }
}

}  // namespace
}  // namespace kesta::plot
