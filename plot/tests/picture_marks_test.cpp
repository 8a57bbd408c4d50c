// Marks a reader relies on: a dot at every point of a short series, and the
// seepage panel's zero line even where zero is an edge of the panel.
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

// The picture from one panel's start to the next one's.
std::string panel(const std::string& svg, const std::string& id) {
  const auto start = svg.find("id=\"panel-" + id + "\"");
  return svg.substr(start, svg.find("id=\"panel-", start + 1) - start);
}

TEST(PictureMarks, DotsOnShortSeriesAndAZeroLineOnTheSeepagePanelsEdge) {
  // Every series rises from 0: zero is the bottom edge of each panel.
  const struct {
    int rows;
    std::size_t dots;  // H, SEEP and BANK
  } cases[] = {{60, 3 * 60}, {61, 0}};
  for (const auto& c : cases) {
    std::vector<testing::Row> rows;
    for (int i = 0; i < c.rows; ++i) rows.push_back({1.0 * i, 1.0 * i, 1.0 * i, 2.0 * i, 1.0 * i, 2.0 * i});
    std::ostringstream svg;
    write_plot_svg(parse_plot_file(testing::plot_file_text(rows)), {"plot.txt", Units{}, nullptr}, svg);
    EXPECT_EQ(count(svg.str(), "<circle"), c.dots) << c.rows;
    EXPECT_EQ(count(panel(svg.str(), "seepage"), "zero-line"), 1u) << c.rows;
  }
}

}  // namespace
}  // namespace kesta::plot
