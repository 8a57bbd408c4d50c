#include "plot/plot_picture.hpp"

#include <array>
#include <cmath>
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
  Picture(const PlotSeries& series, const PictureOptions& options) {
    std::ostringstream svg;
    write_plot_svg(series, options, svg);
    text_ = svg.str();
    static int pictures = 0;  // several pictures may live in one test
    file_ = std::make_unique<testing::TempFile>("picture" + std::to_string(++pictures) + ".svg", text_);
  }
  const std::string& text() const { return text_; }
  bool well_formed() const {
    return run(std::string(kXmllint) + " --noout --nonet '" + file_->path() + "' 2>&1").status == 0;
  }
  // The value of an XPath expression; elements are matched by local name, as
  // the document is in the SVG namespace.
  std::string xpath(const std::string& expression) const {
    std::string value =
        run(std::string(kXmllint) + " --nonet --xpath '" + expression + "' '" + file_->path() + "' 2>/dev/null").out;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
  // The vertices of a series' line, in pixels.
  std::vector<std::pair<double, double>> points(std::string_view column) const {
    std::istringstream pairs(
        xpath("string(//*[local-name()=\"polyline\"][@data-column=\"" + std::string(column) + "\"]/@points)"));
    std::vector<std::pair<double, double>> out;
    for (std::string pair; pairs >> pair;)
      out.emplace_back(std::stod(pair.substr(0, pair.find(','))), std::stod(pair.substr(pair.find(',') + 1)));
    return out;
  }
  std::size_t points_of(std::string_view column) const { return points(column).size(); }
  // The labels of a panel's axis on one side, bottom up, one blank between them.
  std::string left_ticks(const std::string& panel, const std::string& side = "left") const {
    const std::string path = "//*[@id=\"panel-" + panel + "\"]/*[@data-side=\"" + side + "\"]/*[@class=\"tick\"]";
    std::string ticks;
    const int count = std::stoi(xpath("count(" + path + ")"));
    for (int i = 1; i <= count; ++i)
      ticks += (i > 1 ? " " : "") + xpath("string((" + path + ")[" + std::to_string(i) + "])");
    return ticks;
  }
  double number(const std::string& expression) const { return std::stod(xpath("string(" + expression + ")")); }

 private:
  std::string text_;
  std::unique_ptr<testing::TempFile> file_;
};

std::size_t occurrences(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

PictureOptions named(const std::string& source_name) { return {source_name, Units{}, nullptr}; }

// The flood wave of examples/flood-wave-confined.dat in outline: NT = 81 steps
// of DELT = 0.1 d from TINIT = 0, a 5 km reach (2·XSTREAM = 10000 m), the stage
// rising 2 m and falling back.
PictureDeck flood_wave_deck() {
  PictureDeck d;
  d.TITLE1 = "Flood wave past a confined sand aquifer";
  d.TITLE2 = "Stage above pre-flood level (m); days";
  d.DELT = 0.1;
  d.XSTREAM = 5000.0;
  d.X = 400.0;
  d.NT = 81;
  for (int k = 0; k < d.NT; ++k) {
    d.STAGE.push_back(k <= 15 ? 2.0 * k / 15 : 2.0 * std::exp(-(k - 15) / 12.0));
    d.RECH.push_back(0.0);
  }
  return d;
}

// Plot rows that belong to that deck: T = 0.1·k, totals 10000 times the
// per-length values.
PlotSeries flood_wave_series() {
  std::vector<testing::Row> rows;
  for (int k = 0; k < 81; ++k) {
    const double t = 0.1 * k, seep = -0.3 * std::sin(t) * std::exp(-t / 3), bank = 0.4 * t * std::exp(-t / 3);
    rows.push_back({t, 0.7 * t * std::exp(-t / 2.6), seep, 10000 * seep, bank, 10000 * bank});
  }
  return parse_plot_file(testing::plot_file_text(rows));
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
    const Picture picture(parse_plot_file(testing::plot_file_text(c.rows)), named("out/<plot> & \"1\".txt"));
    EXPECT_TRUE(picture.well_formed()) << c.what;
    EXPECT_EQ(picture.xpath("count(//*[local-name()=\"g\"][@class=\"panel\"])"), "3") << c.what;
    EXPECT_EQ(picture.xpath("count(//*[local-name()=\"script\" or @href or @*[local-name()=\"href\"]])"), "0")
        << c.what;
    EXPECT_EQ(picture.text().find("url("), std::string::npos) << c.what;
  }
}

TEST_F(PlotPicture, WithADeckTheStageOnTopIsTheStepsTheModelSees) {
  const PictureDeck deck = flood_wave_deck();
  const Picture picture(flood_wave_series(), {"plot.txt", Units{}, &deck});
  EXPECT_EQ(picture.xpath("count(//*[local-name()=\"g\"][@class=\"panel\"])"), "4");
  EXPECT_EQ(picture.xpath("string(//*[local-name()=\"g\"][@class=\"panel\"][1]/@id)"), "panel-stress");
  EXPECT_EQ(picture.xpath("string(//*[@class=\"title\"])"), deck.TITLE1);
  EXPECT_EQ(picture.xpath("string(//*[@class=\"subtitle\"])"), deck.TITLE2);
  // Each panel under its own title, top to bottom.
  std::size_t at = 0;
  for (const std::string title : {">Stream stage<", ">Head at the observation well<", ">Seepage<", ">Bank storage<"}) {
    at = picture.text().find(title, at);
    ASSERT_NE(at, std::string::npos) << title;
  }
  EXPECT_NE(picture.text().find(">The well is at X = "), std::string::npos);
  EXPECT_EQ(picture.left_ticks("stress"), "0 0.5 1.0 1.5 2.0");  // the stage from 0 to 2 m
  // One horizontal run per time-stress line: NT runs, two vertices each, on a
  // time axis from TINIT − DELT (line 1, the reference) to the last row.
  const auto stage = picture.points("STAGE");
  ASSERT_EQ(stage.size(), 2u * static_cast<std::size_t>(deck.NT));
  const double left = picture.number("(//*[@class=\"frame\"])[1]/@x");
  const double per_step = picture.number("(//*[@class=\"frame\"])[1]/@width") / deck.NT;
  for (int k = 1; k <= deck.NT; ++k) {
    EXPECT_EQ(stage[2 * k - 2].second, stage[2 * k - 1].second) << "line " << k;
    EXPECT_NEAR(stage[2 * k - 2].first, left + (k - 1) * per_step, 0.06) << "line " << k;  // T(k) − DELT
    EXPECT_NEAR(stage[2 * k - 1].first, left + k * per_step, 0.06) << "line " << k;        // T(k)
  }
  EXPECT_NEAR(picture.points("H").front().first, left + per_step, 0.06);  // rows start at TINIT
}

TEST_F(PlotPicture, RechargeJoinsTheStageWhenBothDriveTheModel) {
  PictureDeck deck = flood_wave_deck();
  for (int k = 40; k < deck.NT; ++k) deck.RECH[static_cast<std::size_t>(k)] = 1.0;
  for (int ISTRESS : {0, 1, 2}) {
    deck.ISTRESS = ISTRESS;
    const Picture picture(flood_wave_series(), {"plot.txt", Units{}, &deck});
    EXPECT_EQ(picture.points_of("STAGE"), ISTRESS == 1 ? 0u : 162u) << ISTRESS;
    EXPECT_EQ(picture.points_of("RECH"), ISTRESS == 0 ? 0u : 162u) << ISTRESS;
    // The recharge (0 to 1) has its own axis: on the right beside the stage (0 to 2).
    const std::string stage_ticks = "0 0.5 1.0 1.5 2.0", recharge_ticks = "0 0.2 0.4 0.6 0.8 1.0";
    EXPECT_EQ(picture.left_ticks("stress"), ISTRESS == 1 ? recharge_ticks : stage_ticks) << ISTRESS;
    EXPECT_EQ(picture.left_ticks("stress", "right"), ISTRESS == 2 ? recharge_ticks : "") << ISTRESS;
  }
}

TEST_F(PlotPicture, EachAxisIsLabelledInTheUnitsGiven) {
  const PictureDeck deck = flood_wave_deck();
  const Picture picture(flood_wave_series(), {"plot.txt", parse_units("m,d"), &deck});
  for (const char* label : {"STAGE (m)", "H (m)", "SEEP (m\u00b2/d)", "SEEPT (m\u00b3/d)", "BANK (m\u00b2)",
                            "BANKV (m\u00b3)", "Time, T (d)"})
    EXPECT_EQ(picture.xpath("count(//*[@class=\"axis-title\"][.=\"" + std::string(label) + "\"])"), "1") << label;
}

// Total seepage and bank-storage volume are the per-length curves read on a
// right axis whose ends are the left axis's times 2·XSTREAM: from the deck, or
// read back from the plot file.
TEST_F(PlotPicture, TotalsAreTheSameCurveOnAnAxisTwoXstreamTimesTheLeft) {
  const PictureDeck deck = flood_wave_deck();
  const Picture with_deck(flood_wave_series(), {"plot.txt", Units{}, &deck});
  const Picture without_deck(parse_plot_file(testing::plot_file_text(testing::ramp_rows(30))), named("plot.txt"));
  for (const auto& [picture, factor] : {std::pair{&with_deck, 2 * deck.XSTREAM}, std::pair{&without_deck, 2.0}}) {
    for (const std::string panel : {"seepage", "bank"}) {
      const std::string axis = "//*[@id=\"panel-" + panel + "\"]/*[@class=\"axis\"][@data-side=";
      for (const char* end : {"/@data-low", "/@data-high"})
        EXPECT_NEAR(picture->number(axis + "\"right\"]" + end), factor * picture->number(axis + "\"left\"]" + end),
                    1e-12 * factor)
            << panel << end;
      EXPECT_EQ(picture->xpath("count(//*[@id=\"panel-" + panel + "\"]/*[local-name()=\"polyline\"])"), "1");
    }
  }
}

// The tags that start with `start` in an SVG text, and a number attribute of one.
std::vector<std::string> tags(const std::string& svg, const std::string& start) {
  std::vector<std::string> out;
  for (std::size_t at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1))
    out.push_back(svg.substr(at, svg.find('>', at) - at));
  return out;
}
double attribute(const std::string& tag, const std::string& name) {
  const std::size_t at = tag.find(" " + name + "=\"") + name.size() + 3;
  return std::stod(tag.substr(at, tag.find('"', at) - at));
}

// Every text stands outside every panel's plotting area, and every frame and
// text inside the picture's width.
TEST_F(PlotPicture, NoLabelSitsInsideAPanel) {
  const PictureDeck deck = flood_wave_deck();
  const Picture picture(flood_wave_series(), {"plot.txt", parse_units("m,d"), &deck});
  const std::vector<std::string> frames = tags(picture.text(), "<rect class=\"frame\"");
  ASSERT_EQ(frames.size(), 4u);
  const double width = attribute(tags(picture.text(), "<svg ").at(0), "width");
  for (const std::string& f : frames) EXPECT_LE(attribute(f, "x") + attribute(f, "width"), width) << f;
  const std::vector<std::string> texts = tags(picture.text(), "<text ");
  EXPECT_GT(texts.size(), 50u);
  for (const std::string& text : texts) {
    const double x = attribute(text, "x"), y = attribute(text, "y");
    EXPECT_LT(x, width) << text;
    for (const std::string& f : frames) {
      const double left = attribute(f, "x"), top = attribute(f, "y");
      EXPECT_FALSE(x > left && x < left + attribute(f, "width") && y > top && y < top + attribute(f, "height")) << text;
    }
  }
  EXPECT_EQ(picture.text().find(">zero<"), std::string::npos);
}

TEST_F(PlotPicture, LongSeriesIsThinnedToTwoPointsPerPixelColumn) {
  // Every series of the ramp rises or falls steadily, so each pixel column
  // keeps its first and last sample only.
  const Picture picture(parse_plot_file(testing::plot_file_text(testing::ramp_rows(99999))), named("plot.txt"));
  for (const char* column : {"H", "SEEP", "BANK"}) EXPECT_EQ(picture.points_of(column), 2u * kPlotColumns) << column;
}

// About five round intervals on a value axis: a head range of 1.2 takes steps
// of 0.5 (1.2 / 5 = 0.24, rounded up to 0.5), a range of 11 steps of 5.
TEST_F(PlotPicture, ValueAxesTakeAboutFiveRoundSteps) {
  const struct {
    double top;
    const char* ticks;
  } cases[] = {{1.2, "0 0.5 1.0 1.5"}, {11.0, "0 5 10 15"}};
  for (const auto& c : cases) {
    const std::vector<testing::Row> rows = {{0, 0, 0, 0, 0, 0}, {1, c.top, 0, 0, 0, 0}};
    const Picture picture(parse_plot_file(testing::plot_file_text(rows)), named("plot.txt"));
    EXPECT_EQ(picture.left_ticks("head"), c.ticks) << c.top;
  }
}

TEST_F(PlotPicture, ShortSeriesDrawsEveryRow) {
  const Picture picture(parse_plot_file(testing::plot_file_text(testing::ramp_rows(500))), named("plot.txt"));
  for (const char* column : {"H", "SEEP", "BANK"}) EXPECT_EQ(picture.points_of(column), 500u) << column;
}

TEST_F(PlotPicture, TimeAxisSpansTheFirstAndLastTime) {
  std::vector<testing::Row> rows = testing::ramp_rows(1000);
  for (auto& r : rows) r[0] = 12.5 + 0.25 * r[0];  // T from 12.5 to 262.25
  const Picture picture(parse_plot_file(testing::plot_file_text(rows)), named("plot.txt"));
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

TEST_F(PlotPicture, SeepageCrossesZeroOnTheDarkLine) {
  // Seepage changes sign and is zero at row 2; the totals are twice it.
  const std::vector<testing::Row> rows = {
      {0, 0, 0.5, 1.0, 0, 0}, {1, 0, 0.0, 0.0, 0, 0}, {2, 0, -1.0, -2.0, 0, 0}, {3, 0, 0.3, 0.6, 0, 0}};
  const Picture picture(parse_plot_file(testing::plot_file_text(rows)), named("plot.txt"));
  const std::string zero_line = "//*[@id=\"panel-seepage\"]/*[@class=\"zero-line\"]";
  ASSERT_EQ(picture.xpath("count(" + zero_line + ")"), "1");
  const double zero_y = picture.number(zero_line + "/@y1");
  const double top = picture.number("//*[@id=\"panel-seepage\"]/*[@class=\"frame\"]/@y");
  const double height = picture.number("//*[@id=\"panel-seepage\"]/*[@class=\"frame\"]/@height");
  EXPECT_GT(zero_y, top);
  EXPECT_LT(zero_y, top + height);
  EXPECT_DOUBLE_EQ(picture.points("SEEP")[1].second, zero_y);
  // Both axes have their "0" tick on the line.
  for (const char* side : {"left", "right"})
    EXPECT_NEAR(picture.number("//*[@id=\"panel-seepage\"]/*[@data-side=\"" + std::string(side) +
                               "\"]/*[@class=\"tick\"][.=\"0\"]/@y"),
                zero_y + 4, 0.11)
        << side;
}

TEST_F(PlotPicture, NotesRowsThatCannotBeDrawn) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<testing::Row> rows = testing::ramp_rows(6);
  rows[2][1] = std::numeric_limits<double>::quiet_NaN();
  const Picture one(parse_plot_file(testing::plot_file_text(rows)), named("plot.txt"));
  EXPECT_EQ(one.xpath("string(//*[@class=\"note\"])"), "1 of 6 rows not drawn: they hold NaN or Infinity.");
  rows[4][3] = -inf;
  const Picture picture(parse_plot_file(testing::plot_file_text(rows)), named("plot.txt"));
  EXPECT_EQ(picture.xpath("string(//*[@class=\"note\"])"), "2 of 6 rows not drawn: they hold NaN or Infinity.");
  EXPECT_EQ(picture.points_of("H"), 4u);
}

TEST_F(PlotPicture, EmptyPlotFileDrawsEmptyPanelsWithANote) {
  const Picture picture(parse_plot_file(std::string(kPlotHeader) + "\r\n"), named("plot.txt"));
  EXPECT_TRUE(picture.well_formed());
  EXPECT_EQ(occurrences(picture.text(), "No time steps in the plot file"), 3u);
  EXPECT_EQ(picture.xpath("count(//*[local-name()=\"polyline\"])"), "0");
}

}  // namespace
}  // namespace kesta::plot
