#include "plot/plot_picture.hpp"

#include <array>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

constexpr const char* kXmllint = "/usr/bin/xmllint";

// Output of a shell command, with its exit status.
struct Run {
  std::string out;
  int status;
};

Run run(const std::string& command) {
  Run r{"", -1};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  r.status = ::pclose(pipe);
  return r;
}

// An SVG picture on disk, read back with a real XML parser.
class Picture {
 public:
  Picture(const PlotSeries& series, const std::string& source_name) {
    std::ostringstream svg;
    write_plot_svg(series, source_name, svg);
    text_ = svg.str();
    file_ = std::make_unique<testing::TempFile>("picture.svg", text_);
  }
  const std::string& text() const { return text_; }
  bool well_formed() const { return run(std::string(kXmllint) + " --noout --nonet '" + file_->path() + "' 2>&1").status == 0; }
  // The value of an XPath expression; elements are matched by local name, as
  // the document is in the SVG namespace.
  std::string xpath(const std::string& expression) const {
    std::string value =
        run(std::string(kXmllint) + " --nonet --xpath '" + expression + "' '" + file_->path() + "' 2>/dev/null").out;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
  std::size_t points_of(std::string_view column) const {
    const std::string points =
        xpath("string(//*[local-name()=\"polyline\"][@data-column=\"" + std::string(column) + "\"]/@points)");
    std::istringstream pairs(points);
    std::size_t count = 0;
    for (std::string pair; pairs >> pair;) ++count;
    return count;
  }

 private:
  std::string text_;
  std::unique_ptr<testing::TempFile> file_;
};

std::size_t occurrences(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class PlotPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::ifstream(kXmllint)) FAIL() << "xmllint is missing: install the libxml2-utils package";
  }
};

TEST_F(PlotPicture, IsWellFormedSelfContainedSvgWithThreePanels) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* what;
    std::vector<testing::Row> rows;
  } cases[] = {
      {"no rows", {}},
      {"one row", {{1.0, 0.4795, -0.5642, -1.128, 0.5642, 1.128}}},
      {"only NaN rows", {{1.0, nan, 0, 0, 0, 0}}},
      {"three-digit exponents", {{0, 1e-120, -2.5e150, 2.5e151, 0, 0}, {1, 2e-120, 2.5e150, -2.5e151, 1e-119, 2e-119}}},
      {"long", testing::ramp_rows(99999)},
  };
  for (const auto& c : cases) {
    // A file name with markup characters must not break the document.
    const Picture picture(parse_plot_file(testing::plot_file_text(c.rows)), "out/<plot> & \"1\".txt");
    EXPECT_TRUE(picture.well_formed()) << c.what;
    EXPECT_EQ(picture.xpath("count(//*[local-name()=\"g\"][@class=\"panel\"])"), "3") << c.what;
    EXPECT_EQ(picture.xpath("count(//*[local-name()=\"script\" or @href or @*[local-name()=\"href\"]])"), "0") << c.what;
    EXPECT_EQ(picture.text().find("url("), std::string::npos) << c.what;
  }
}

TEST_F(PlotPicture, EachPanelNamesItsQuantitiesWithUnits) {
  const Picture picture(parse_plot_file(testing::plot_file_text(testing::ramp_rows(4))), "plot.txt");
  for (const char* label : {"H (L)", "SEEP (L**2/T)", "SEEPT (L**3/T)", "BANK (L**2)", "BANKV (L**3)", "Time, T (T)"})
    EXPECT_EQ(picture.xpath("count(//*[local-name()=\"text\"][.=\"" + std::string(label) + "\"])"), "1") << label;
}

TEST_F(PlotPicture, LongSeriesIsThinnedToTwoPointsPerPixelColumn) {
  // Every series of the ramp rises or falls steadily, so each pixel column
  // keeps its first and last sample only.
  const Picture picture(parse_plot_file(testing::plot_file_text(testing::ramp_rows(99999))), "plot.txt");
  for (const char* column : {"H", "SEEP", "SEEPT", "BANK", "BANKV"})
    EXPECT_EQ(picture.points_of(column), 2u * kPlotColumns) << column;
}

TEST_F(PlotPicture, ShortSeriesDrawsEveryRow) {
  const Picture picture(parse_plot_file(testing::plot_file_text(testing::ramp_rows(500))), "plot.txt");
  for (const char* column : {"H", "SEEP", "SEEPT", "BANK", "BANKV"}) EXPECT_EQ(picture.points_of(column), 500u) << column;
}

TEST_F(PlotPicture, TimeAxisSpansTheFirstAndLastTime) {
  std::vector<testing::Row> rows = testing::ramp_rows(1000);
  for (auto& r : rows) r[0] = 12.5 + 0.25 * r[0];  // T from 12.5 to 262.25
  const Picture picture(parse_plot_file(testing::plot_file_text(rows)), "plot.txt");
  const double left = std::stod(picture.xpath("string((//*[@class=\"frame\"])[1]/@x)"));
  const double width = std::stod(picture.xpath("string((//*[@class=\"frame\"])[1]/@width)"));
  const std::string points = picture.xpath("string(//*[local-name()=\"polyline\"][@data-column=\"H\"]/@points)");
  const double first_x = std::stod(points.substr(0, points.find(',')));
  const double last_x = std::stod(points.substr(points.rfind(' ') + 1));
  EXPECT_DOUBLE_EQ(first_x, left);
  EXPECT_DOUBLE_EQ(last_x, left + width);
  // Round ticks inside the span: 50, 100, ..., 250.
  EXPECT_EQ(picture.xpath("string((//*[@class=\"time-tick\"])[1])"), "50");
  EXPECT_EQ(picture.xpath("string((//*[@class=\"time-tick\"])[last()])"), "250");
}

// The y coordinate of point n of a series' line.
double point_y(const Picture& picture, std::string_view column, std::size_t n) {
  std::istringstream pairs(
      picture.xpath("string(//*[local-name()=\"polyline\"][@data-column=\"" + std::string(column) + "\"]/@points)"));
  std::string pair;
  for (std::size_t i = 0; i <= n; ++i) pairs >> pair;
  return std::stod(pair.substr(pair.find(',') + 1));
}

TEST_F(PlotPicture, SeepageAndTotalSeepageMeetZeroOnOneMarkedLine) {
  // Seepage changes sign; each series is zero at a different time step.
  const std::vector<testing::Row> rows = {
      {0, 0, 0.5, 3.0, 0, 0}, {1, 0, 0.0, 3.0, 0, 0}, {2, 0, -1.0, 0.0, 0, 0}, {3, 0, 0.3, -2.0, 0, 0}};
  const Picture picture(parse_plot_file(testing::plot_file_text(rows)), "plot.txt");
  const std::string zero_line = "//*[@id=\"panel-seepage\"]/*[@class=\"zero-line\"]";
  ASSERT_EQ(picture.xpath("count(" + zero_line + ")"), "1");
  const double zero_y = std::stod(picture.xpath("string(" + zero_line + "/@y1)"));
  const double top = std::stod(picture.xpath("string(//*[@id=\"panel-seepage\"]/*[@class=\"frame\"]/@y)"));
  const double height = std::stod(picture.xpath("string(//*[@id=\"panel-seepage\"]/*[@class=\"frame\"]/@height)"));
  EXPECT_GT(zero_y, top);
  EXPECT_LT(zero_y, top + height);
  EXPECT_DOUBLE_EQ(point_y(picture, "SEEP", 1), zero_y);
  EXPECT_DOUBLE_EQ(point_y(picture, "SEEPT", 2), zero_y);
}

TEST_F(PlotPicture, NotesRowsThatCannotBeDrawn) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<testing::Row> rows = testing::ramp_rows(6);
  rows[2][1] = std::numeric_limits<double>::quiet_NaN();
  rows[4][3] = -inf;
  const Picture picture(parse_plot_file(testing::plot_file_text(rows)), "plot.txt");
  EXPECT_EQ(picture.xpath("string(//*[@class=\"note\"])"), "2 of 6 rows not drawn: they hold NaN or Infinity.");
  EXPECT_EQ(picture.points_of("H"), 4u);
}

TEST_F(PlotPicture, EmptyPlotFileDrawsEmptyPanelsWithANote) {
  const Picture picture(parse_plot_file(std::string(kPlotHeader) + "\r\n"), "plot.txt");
  EXPECT_TRUE(picture.well_formed());
  EXPECT_EQ(occurrences(picture.text(), "No time steps in the plot file"), 3u);
  EXPECT_EQ(picture.xpath("count(//*[local-name()=\"polyline\"])"), "0");
}

}  // namespace
}  // namespace kesta::plot
