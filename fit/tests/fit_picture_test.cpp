// The fit picture: units on every axis, a residual panel per record, bands as
// polygons inside their edges, and a bounded size for very large records.
#include "fit/output/fit_picture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <sstream>

#include "fit/input/fit_file.hpp"
#include "fit/output/picture_marks.hpp"
#include "kesta/fit.hpp"
#include "plot/svg_writer.hpp"

namespace kesta::fit_detail {
namespace {

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The numbers of an attribute's value at each element that starts with start.
std::vector<double> attribute_values(const std::string& svg, const std::string& start, const std::string& name) {
  std::vector<double> out;
  for (std::size_t at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1)) {
    const std::size_t end = svg.find("/>", at);
    const std::size_t a = svg.find(" " + name + "=\"", at);
    if (a < end) out.push_back(std::stod(svg.substr(a + name.size() + 3)));
  }
  return out;
}

std::string svg_of(const std::vector<PicturePanel>& panels, const plot::Units& units, double level = 0.95,
                   std::optional<std::chrono::minutes> date_offset = std::nullopt) {
  std::ostringstream out;
  write_fit_svg(panels, {"KESTA fit test.toml", units, level, date_offset}, out);
  return out.str();
}

// A record of n observations of a smooth rise, its fitted curve and bands.
PicturePanel panel(Kind kind, std::size_t n, bool prediction) {
  PicturePanel p;
  p.name = kind == Kind::Head ? "well.csv" : "gauging.csv";
  p.kind = kind;
  if (kind == Kind::Head) p.distance = 60.0;
  PictureBand band;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = 0.1 * static_cast<double>(i + 1);
    const double v = 1.0 - std::exp(-t);
    p.observed_time.push_back(t);
    p.observed_value.push_back(v + (i % 2 ? 0.01 : -0.01));
    p.residual.push_back(i % 2 ? 0.01 : -0.01);
    p.fitted.time.push_back(t);
    p.fitted.value.push_back(v);
    band.time.push_back(t);
    band.conf_lower.push_back(v - 0.02);
    band.conf_upper.push_back(v + 0.02);
    if (prediction) {
      band.pred_lower.push_back(v - 0.05);
      band.pred_upper.push_back(v + 0.05);
    }
  }
  p.band = band;
  return p;
}

TEST(FitPicture, AxisTitlesCarryTheUnits) {
  const std::vector<PicturePanel> panels = {panel(Kind::Head, 20, true), panel(Kind::Seepage, 10, true)};
  const struct {
    plot::Units units;
    std::vector<std::string> titles;
    std::optional<std::chrono::minutes> date_offset;  // a dated fit: a calendar axis
  } cases[] = {
      {{},
       {">Head (L)<", ">Seepage (L\u00b2/T)<", ">Time (T)<", ">Residual (L)<", ">Residual (L\u00b2/T)<",
        "Head at 60 L from the stream: well.csv"},
       std::nullopt},
      {{"m", "d"},
       {">Head (m)<", ">Seepage (m\u00b2/d)<", ">Time (d)<", ">Residual (m)<", ">Residual (m\u00b2/d)<",
        "Head at 60 m from the stream: well.csv"},
       std::nullopt},
      {{"ft", "min"}, {">Head (ft)<", ">Seepage (ft\u00b2/min)<", ">Time (min)<"}, std::nullopt},
      {{"m", "d"}, {">Head (m)<", ">Date (UTC+02:00)<", ">Residual (m)<"}, std::chrono::minutes(120)},
      {{"m", "d"}, {">Date (UTC)<"}, std::chrono::minutes(0)},
  };
  for (const auto& c : cases) {
    const std::string svg = svg_of(panels, c.units, 0.95, c.date_offset);
    for (const std::string& title : c.titles) EXPECT_NE(svg.find(title), std::string::npos) << title;
    EXPECT_EQ(svg.find(">Time ("), c.date_offset ? std::string::npos : svg.find(">Time (" + c.units.time + ")<"));
    // Every panel, main and residual, has its value axis titled, and the page its time axis.
    EXPECT_EQ(count(svg, "class=\"axis-title\""), 2 * panels.size() + 1) << c.units.length;
  }
}

TEST(FitPicture, OneResidualPanelPerRecordWithAZeroLine) {
  for (std::size_t records : {1u, 2u, 3u}) {
    std::vector<PicturePanel> panels;
    for (std::size_t r = 0; r < records; ++r) panels.push_back(panel(r == 2 ? Kind::Seepage : Kind::Head, 15, true));
    // The third record's residuals all lie above zero: its zero line still lies inside its panel.
    if (records == 3)
      for (double& e : panels[2].residual) e += 0.3;
    const std::string svg = svg_of(panels, {"m", "d"});
    EXPECT_EQ(count(svg, "class=\"residual-panel\""), records);
    EXPECT_EQ(count(svg, "class=\"zero\""), records);
    EXPECT_EQ(count(svg, "<polyline class=\"fitted\""), records);
    const std::vector<double> zeros = attribute_values(svg, "<line class=\"zero\"", "y1");
    const std::vector<double> tops = attribute_values(svg, "<rect class=\"frame\"", "y");
    const std::vector<double> heights = attribute_values(svg, "<rect class=\"frame\"", "height");
    ASSERT_EQ(zeros.size(), records);
    ASSERT_EQ(tops.size(), 2 * records);
    for (std::size_t r = 0; r < records; ++r) {
      EXPECT_GE(zeros[r], tops[2 * r + 1]) << r;
      EXPECT_LE(zeros[r], tops[2 * r + 1] + heights[2 * r + 1]) << r;
    }
    EXPECT_EQ(count(svg, "<circle class=\"residual\""), 15 * records);
    // Observed points stay one per observation, apart from the residuals'.
    EXPECT_EQ(count(svg, "<circle cx=\""), 15 * records);
    // Each residual panel lies below its record's main panel.
    const std::vector<double> frames = attribute_values(svg, "<rect class=\"frame\"", "y");
    ASSERT_EQ(frames.size(), 2 * records);
    for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_GT(frames[i], frames[i - 1]);
  }
}

// A record with nothing to draw (every observation left out, no curve)
// still gives a picture of finite numbers, on a time axis from 0 to 1.
TEST(FitPicture, NothingToDrawStillGivesFiniteAxes) {
  PicturePanel empty;
  empty.name = "empty.csv";
  empty.distance = 60.0;
  const std::string svg = svg_of({empty}, {"m", "d"});
  for (const char* bad : {"nan", "inf"}) EXPECT_EQ(svg.find(bad), std::string::npos) << bad;
  // The time axis's first and last labels, at the plotting area's two edges.
  EXPECT_NE(svg.find("x=\"120.0\" y=\"284.0\" text-anchor=\"middle\">0<"), std::string::npos);
  EXPECT_NE(svg.find("x=\"880.0\" y=\"284.0\" text-anchor=\"middle\">1.0<"), std::string::npos);
}

TEST(FitPicture, BandsShadedWhereTheFitHasThem) {
  PicturePanel without = panel(Kind::Head, 12, false);
  without.band.reset();
  const struct {
    std::vector<PicturePanel> panels;
    std::size_t confidence, prediction;
    std::string legend;
  } cases[] = {
      {{panel(Kind::Head, 12, true)}, 1, 1, "90 % prediction band"},
      {{panel(Kind::Head, 12, false), panel(Kind::Seepage, 8, true)}, 2, 1, "90 % confidence band"},
      {{panel(Kind::Head, 12, false)}, 1, 0, "90 % confidence band"},
      {{without}, 0, 0, ""},
  };
  for (const auto& c : cases) {
    const std::string svg = svg_of(c.panels, {}, 0.9);
    EXPECT_EQ(count(svg, "<polygon class=\"confidence-band\""), c.confidence);
    EXPECT_EQ(count(svg, "<polygon class=\"prediction-band\""), c.prediction);
    EXPECT_EQ(count(svg, "prediction band<"), c.prediction > 0 ? 1u : 0u);
    EXPECT_EQ(count(svg, "confidence band<"), c.confidence > 0 ? 1u : 0u);
    if (!c.legend.empty()) {
      EXPECT_NE(svg.find(c.legend), std::string::npos);
    }
    // The lighter prediction band goes under the confidence band.
    if (c.prediction > 0) {
      const std::size_t prediction = svg.find("<polygon class=\"prediction-band\"");
      EXPECT_NE(svg.find("<polygon class=\"confidence-band\"", prediction), std::string::npos);
    }
  }
}

TEST(FitPicture, BandOutlineVerticesLieBetweenTheBandsEdges) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  const PanelFrame frame{
      plot::time_axis(0.0, 50.0, 10), plot::value_axis(-6.0, 6.0, 5), 120.0, 80.0, 760.0, 180.0, 760};
  const struct {
    std::size_t samples;
    double jitter;  // noise on the band's half width
  } cases[] = {{40, 0.0}, {5000, 0.3}, {200000, 1.0}};
  for (const auto& c : cases) {
    std::vector<double> time, lower, upper;
    for (std::size_t i = 0; i < c.samples; ++i) {
      const double t = 50.0 * static_cast<double>(i) / static_cast<double>(c.samples - 1);
      const double middle = 2.0 * std::sin(t / 4.0);
      const double half = 0.5 + c.jitter * std::abs(noise(random));
      time.push_back(t);
      lower.push_back(middle - half);
      upper.push_back(middle + half);
    }
    const auto outline = band_outline(frame, time, lower, upper);
    ASSERT_GE(outline.size(), 4u);
    if (c.samples > 4 * 760) {
      EXPECT_LE(outline.size(), 2u * 4u * 760u);
    }
    const auto value_of = [&](double y) {
      return frame.value.low + (1.0 - (y - frame.top) / frame.height) * (frame.value.high - frame.value.low);
    };
    double highest = -INFINITY, lowest = INFINITY;
    for (const auto& [x, y] : outline) {
      const double v = value_of(y);
      highest = std::max(highest, v);
      lowest = std::min(lowest, v);
      // The samples drawn at this x, found by bisection: x grows with time.
      std::size_t i = static_cast<std::size_t>(
          std::partition_point(time.begin(), time.end(), [&](double t) { return frame.x_of(t) < x; }) - time.begin());
      bool inside = false;
      for (; i < time.size() && frame.x_of(time[i]) == x && !inside; ++i)
        inside = v >= lower[i] - 1e-9 && v <= upper[i] + 1e-9;
      EXPECT_TRUE(inside) << "vertex at " << x << "," << y << " of " << c.samples;
    }
    // The band's extremes are kept.
    EXPECT_NEAR(highest, *std::max_element(upper.begin(), upper.end()), 1e-9);
    EXPECT_NEAR(lowest, *std::min_element(lower.begin(), lower.end()), 1e-9);
  }
}

TEST(FitPicture, LargeRecordStaysSmallAndKeepsItsExtremes) {
  constexpr std::size_t kObservations = 200000;
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0.0, 0.05);
  PicturePanel p;
  p.name = "logger.csv";
  p.distance = 60.0;
  PictureBand band;
  for (std::size_t i = 0; i < kObservations; ++i) {
    const double t = 0.001 * static_cast<double>(i + 1);
    const double v = 1.0 - std::exp(-t / 40.0);
    double e = noise(random);
    // One spike to 2 and one dip to -0.5, the ends of the value axis.
    if (i == 123457) e = 2.0 - v;
    if (i == 54321) e = -0.5 - v;
    p.observed_time.push_back(t);
    p.observed_value.push_back(v + e);
    p.residual.push_back(e);
    p.fitted.time.push_back(t);
    p.fitted.value.push_back(v);
    band.time.push_back(t);
    band.conf_lower.push_back(v - 0.01);
    band.conf_upper.push_back(v + 0.01);
    band.pred_lower.push_back(v - 0.1);
    band.pred_upper.push_back(v + 0.1);
  }
  p.band = band;
  const std::string svg = svg_of({p}, {"m", "d"});
  EXPECT_LT(svg.size(), 600000u);
  const std::vector<double> frames = attribute_values(svg, "<rect class=\"frame\"", "y");
  const std::vector<double> heights = attribute_values(svg, "<rect class=\"frame\"", "height");
  ASSERT_EQ(frames.size(), 2u);
  const std::vector<double> cy = attribute_values(svg, "<circle cx=", "cy");
  const std::vector<double> residual_cy = attribute_values(svg, "<circle class=\"residual\"", "cy");
  EXPECT_LE(cy.size(), 4u * 760u);
  // The spike draws at the top of the main panel, the dip at its bottom.
  EXPECT_EQ(*std::min_element(cy.begin(), cy.end()), frames[0]);
  EXPECT_EQ(*std::max_element(cy.begin(), cy.end()), frames[0] + heights[0]);
  // The residuals' extremes are drawn too, where their axis puts them.
  const auto [lo, hi] = std::minmax_element(p.residual.begin(), p.residual.end());
  const plot::AxisScale residual_axis = plot::value_axis(*lo, *hi, 4);
  const auto y_of = [&](double v) {
    return std::stod(plot::px(frames[1] + (1.0 - residual_axis.fraction(v)) * heights[1]));
  };
  EXPECT_EQ(*std::min_element(residual_cy.begin(), residual_cy.end()), y_of(*hi));
  EXPECT_EQ(*std::max_element(residual_cy.begin(), residual_cy.end()), y_of(*lo));
  EXPECT_EQ(attribute_values(svg, "<line class=\"zero\"", "y1").at(0), y_of(0.0));
  // The columns that lost points keep their spread as strokes.
  EXPECT_EQ(count(svg, "class=\"dense\""), 2u);
}

TEST(FitPicture, UnitsInTheFitFile) {
  const std::string deck = "deck = \"d.dat\"\n";
  const std::string obs = "[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n";
  const std::string par = "[parameters]\nAK = { min = 1.0, max = 10.0 }\n";
  const FitFile inline_table =
      parse_fit_file(deck + "units = { length = \"m\", time = \"d\" }\n" + obs + par, "fit.toml", ".");
  ASSERT_TRUE(inline_table.units);
  EXPECT_EQ(inline_table.units->length, "m");
  EXPECT_EQ(inline_table.units->time, "d");
  const FitFile table =
      parse_fit_file(deck + obs + par + "[units]\nlength = \"ft\"\ntime = \"min\"\n", "fit.toml", ".");
  ASSERT_TRUE(table.units);
  EXPECT_EQ(table.units->length, "ft");
  EXPECT_FALSE(parse_fit_file(deck + obs + par, "fit.toml", ".").units);

  const struct {
    std::string units;
    std::string message;
  } cases[] = {
      {"units = \"m,d\"", "fit.toml:2: units: expected a table such as { length = \"m\", time = \"d\" }"},
      {"units = { length = \"m\" }", "fit.toml:2: units: missing key 'time' in { length = \"m\", time = \"d\" }"},
      {"units = { length = \"\", time = \"d\" }", "fit.toml:2: units length: expected a name such as \"m\" or \"d\""},
      {"units = { length = \"m\", time = 1 }", "fit.toml:2: units time: expected a string in quotes"},
      {"units = { length = \"m\", time = \"d\", area = \"ha\" }",
       "fit.toml:2: unknown key 'area' units; the units table has length and time"},
      {"units = { length = \"m d\", time = \"d\" }",
       "fit.toml:2: units length: the unit of length 'm d' holds a blank, a comma, a quote or a character that is "
       "not printable"},
      {"units = { length = \"m\", time = \"days,hours\" }",
       "fit.toml:2: units time: the unit of time 'days,hours' holds a blank, a comma, a quote or a character that "
       "is not printable"},
      {"units = { length = \"kilometre-scale\", time = \"d\" }",
       "fit.toml:2: units length: the unit of length is longer than 12 bytes"},
  };
  for (const auto& c : cases) {
    try {
      parse_fit_file(deck + c.units + "\n" + obs + par, "fit.toml", ".");
      ADD_FAILURE() << c.units << ": no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace kesta::fit_detail
