#include "plot/plot_picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "plot/axis_scale.hpp"
#include "plot/svg_writer.hpp"
#include "plot/thinning.hpp"

namespace kesta::plot {

namespace {

// Page layout, in pixels.
constexpr double kPlotLeft = 120.0;
constexpr double kPlotWidth = kPlotColumns;
constexpr double kTitleBand = 44.0;
constexpr double kPanelHeader = 26.0;
constexpr double kPanelHeight = 190.0;
constexpr double kPanelGap = 16.0;
constexpr int kTimeIntervals = 10;
constexpr int kValueIntervals = 5;
// Series this short also get a dot at each point, so that one row still shows.
constexpr std::size_t kMarkedPointsMax = 60;
// Rough width of one character of 12 px sans-serif, for laying out the legend.
constexpr double kCharWidth = 6.6;

constexpr std::string_view kFont = "sans-serif";
constexpr std::string_view kGridColour = "#dddddd";
constexpr std::string_view kFrameColour = "#444444";

struct SeriesStyle {
  Column column;
  std::string_view legend;
  std::string_view colour;
  bool dashed;
};

struct PanelSpec {
  std::string_view id;
  std::string_view title;
  SeriesStyle left;
  std::string_view left_label;
  std::optional<SeriesStyle> right;  // drawn on its own axis at the right
  std::string_view right_label;
  bool mark_zero;  // draw the zero line even where zero is an edge of the panel
};

// The three panels, top to bottom. Seepage and bank storage pair a quantity
// per unit length of stream with its total, each on its own axis.
const PanelSpec kPanels[] = {
    {"head", "Head at the observation well",
     {Column::H, "H: head (L)", "#0072b2", false}, "H (L)", std::nullopt, "", false},
    {"seepage", "Seepage",
     {Column::SEEP, "SEEP: seepage (L**2/T), left axis", "#0072b2", false}, "SEEP (L**2/T)",
     SeriesStyle{Column::SEEPT, "SEEPT: total seepage (L**3/T), right axis", "#d55e00", true}, "SEEPT (L**3/T)", true},
    {"bank", "Bank storage",
     {Column::BANK, "BANK: bank storage (L**2), left axis", "#009e73", false}, "BANK (L**2)",
     SeriesStyle{Column::BANKV, "BANKV: bank-storage volume (L**3), right axis", "#cc79a7", true},
     "BANKV (L**3)", false},
};

double panel_top(int index) { return kTitleBand + index * (kPanelHeader + kPanelHeight + kPanelGap) + kPanelHeader; }

std::pair<double, double> value_range(const std::vector<double>& v) {
  if (v.empty()) return {0.0, 0.0};
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  return {*lo, *hi};
}

// Only ASCII is shown from a file name: the picture must stay valid UTF-8.
std::string shown_name(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (static_cast<unsigned char>(c) >= 0x7f || static_cast<unsigned char>(c) < 0x20) c = '?';
  return out;
}

std::string number_text(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6G", v);
  return text;
}

class PictureWriter {
 public:
  PictureWriter(const PlotSeries& series, std::ostream& out)
      : series_(series), svg_(out), time_(make_time_axis(series)) {}

  void write(std::string_view source_name);

 private:
  static AxisScale make_time_axis(const PlotSeries& series) {
    const std::vector<double>& t = series[Column::T];
    if (t.empty()) return time_axis(0.0, 1.0, kTimeIntervals);
    const auto [lo, hi] = value_range(t);
    return time_axis(lo, hi, kTimeIntervals);
  }

  double x_of(double t) const { return kPlotLeft + time_.fraction(t) * kPlotWidth; }
  static double y_of(const AxisScale& axis, double top, double v) {
    return top + (1.0 - axis.fraction(v)) * kPanelHeight;
  }

  void write_title(std::string_view source_name);
  void write_panel(int index, const PanelSpec& panel);
  void write_time_grid(double top);
  void write_value_axis(const AxisScale& axis, double top, bool at_right, std::string_view colour,
                        std::string_view label, bool grid);
  void write_zero_line(const AxisScale& axis, double top, bool always);
  void write_series(const AxisScale& axis, double top, const SeriesStyle& style);
  void write_legend(const PanelSpec& panel, double top);
  void write_time_labels(double top);
  void write_notes(double top);

  const PlotSeries& series_;
  SvgWriter svg_;
  AxisScale time_;
};

void PictureWriter::write(std::string_view source_name) {
  svg_.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                    {"width", std::to_string(kPictureWidth)},
                    {"height", std::to_string(kPictureHeight)},
                    {"viewBox", "0 0 " + std::to_string(kPictureWidth) + " " + std::to_string(kPictureHeight)},
                    {"font-family", std::string(kFont)},
                    {"font-size", "12"}});
  svg_.empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  write_title(source_name);
  for (int i = 0; i < 3; ++i) write_panel(i, kPanels[i]);
  const double bottom = panel_top(2) + kPanelHeight;
  write_time_labels(bottom);
  write_notes(bottom);
  svg_.close("svg");
}

void PictureWriter::write_title(std::string_view source_name) {
  svg_.text("KESTA plot file " + shown_name(source_name),
            {{"x", px(kPlotLeft)}, {"y", "26"}, {"font-size", "16"}, {"font-weight", "bold"}});
  std::string summary = std::to_string(series_.rows_read) + (series_.rows_read == 1 ? " time step" : " time steps");
  if (series_.size() > 0) {
    summary += ", T from " + number_text(series_[Column::T].front()) + " to " +
               number_text(series_[Column::T].back());
  }
  svg_.text(summary, {{"x", px(kPlotLeft + kPlotWidth)}, {"y", "26"}, {"text-anchor", "end"}});
}

void PictureWriter::write_panel(int index, const PanelSpec& panel) {
  const double top = panel_top(index);
  svg_.open("g", {{"class", "panel"}, {"id", "panel-" + std::string(panel.id)}});
  svg_.text(panel.title, {{"x", px(kPlotLeft)}, {"y", px(top - 8)}, {"font-size", "14"}, {"font-weight", "bold"}});
  svg_.empty("rect", {{"class", "frame"},
                      {"x", px(kPlotLeft)},
                      {"y", px(top)},
                      {"width", px(kPlotWidth)},
                      {"height", px(kPanelHeight)},
                      {"fill", "white"},
                      {"stroke", std::string(kFrameColour)}});
  write_time_grid(top);

  const auto left_range = value_range(series_[panel.left.column]);
  if (panel.right) {
    const auto right_range = value_range(series_[panel.right->column]);
    const auto [left_axis, right_axis] = twin_axes_sharing_zero(left_range, right_range, kValueIntervals);
    write_value_axis(left_axis, top, false, panel.left.colour, panel.left_label, true);
    write_value_axis(right_axis, top, true, panel.right->colour, panel.right_label, false);
    write_zero_line(left_axis, top, panel.mark_zero);
    write_series(left_axis, top, panel.left);
    write_series(right_axis, top, *panel.right);
  } else {
    const AxisScale axis = value_axis(left_range.first, left_range.second, kValueIntervals);
    write_value_axis(axis, top, false, "#000000", panel.left_label, true);
    write_zero_line(axis, top, panel.mark_zero);
    write_series(axis, top, panel.left);
  }
  write_legend(panel, top);

  if (series_.size() == 0) {
    const std::string_view note =
        series_.rows_read == 0 ? "No time steps in the plot file" : "No rows with finite values to draw";
    svg_.text(note, {{"x", px(kPlotLeft + kPlotWidth / 2)},
                     {"y", px(top + kPanelHeight / 2)},
                     {"text-anchor", "middle"},
                     {"font-size", "14"},
                     {"fill", "#666666"}});
  }
  svg_.close("g");
}

void PictureWriter::write_time_grid(double top) {
  for (double t : time_.ticks()) {
    const std::string x = px(x_of(t));
    svg_.empty("line", {{"x1", x}, {"y1", px(top)}, {"x2", x}, {"y2", px(top + kPanelHeight)},
                        {"stroke", std::string(kGridColour)}});
  }
}

void PictureWriter::write_value_axis(const AxisScale& axis, double top, bool at_right, std::string_view colour,
                                     std::string_view label, bool grid) {
  const std::vector<double> ticks = axis.ticks();
  const std::vector<std::string> labels = tick_labels(axis, ticks);
  const double edge = at_right ? kPlotLeft + kPlotWidth : kPlotLeft;
  const double tick_end = at_right ? edge + 5 : edge - 5;
  const double label_x = at_right ? edge + 8 : edge - 8;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const std::string y = px(y_of(axis, top, ticks[i]));
    if (grid)
      svg_.empty("line", {{"x1", px(kPlotLeft)}, {"y1", y}, {"x2", px(kPlotLeft + kPlotWidth)}, {"y2", y},
                          {"stroke", std::string(kGridColour)}});
    svg_.empty("line", {{"x1", px(edge)}, {"y1", y}, {"x2", px(tick_end)}, {"y2", y},
                        {"stroke", std::string(kFrameColour)}});
    svg_.text(labels[i], {{"x", px(label_x)},
                          {"y", px(y_of(axis, top, ticks[i]) + 4)},
                          {"text-anchor", at_right ? "start" : "end"},
                          {"fill", std::string(colour)}});
  }
  // The axis title reads upwards beside the tick labels.
  const double title_x = at_right ? edge + 95 : edge - 95;
  const double title_y = top + kPanelHeight / 2;
  svg_.text(label, {{"x", px(title_x)},
                    {"y", px(title_y)},
                    {"text-anchor", "middle"},
                    {"fill", std::string(colour)},
                    {"transform", "rotate(-90 " + px(title_x) + " " + px(title_y) + ")"}});
}

void PictureWriter::write_zero_line(const AxisScale& axis, double top, bool always) {
  // Where zero is an edge of the panel, the frame already shows it.
  const bool inside = axis.low < 0.0 && axis.high > 0.0;
  const bool on_edge = axis.low == 0.0 || axis.high == 0.0;
  if (!inside && !(always && on_edge)) return;
  const double y = y_of(axis, top, 0.0);
  svg_.empty("line", {{"class", "zero-line"}, {"x1", px(kPlotLeft)}, {"y1", px(y)},
                      {"x2", px(kPlotLeft + kPlotWidth)}, {"y2", px(y)}, {"stroke", "#000000"},
                      {"stroke-width", "1.2"}});
  // The mark stays inside the panel: below the line when zero is the top edge.
  const double label_y = y - top < 14 ? y + 12 : y - 4;
  svg_.text("zero", {{"x", px(kPlotLeft + kPlotWidth - 4)}, {"y", px(label_y)}, {"text-anchor", "end"},
                     {"font-size", "10"}, {"fill", "#000000"}, {"stroke", "white"}, {"stroke-width", "3"},
                     {"paint-order", "stroke"}});
}

void PictureWriter::write_series(const AxisScale& axis, double top, const SeriesStyle& style) {
  const std::vector<double>& t = series_[Column::T];
  const std::vector<double>& v = series_[style.column];
  if (t.empty()) return;
  std::vector<int> columns(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    const int c = static_cast<int>(std::floor(time_.fraction(t[i]) * kPlotColumns));
    columns[i] = std::clamp(c, 0, kPlotColumns - 1);
  }
  const std::vector<std::size_t> kept = thin_to_columns(columns, v);

  std::string points;
  points.reserve(kept.size() * 14);
  for (std::size_t i : kept) {
    if (!points.empty()) points += ' ';
    points += px(x_of(t[i])) + "," + px(y_of(axis, top, v[i]));
  }
  const std::string colour(style.colour);
  svg_.empty("polyline", {{"class", "series"},
                          {"data-column", std::string(column_name(style.column))},
                          {"points", points},
                          {"fill", "none"},
                          {"stroke", colour},
                          {"stroke-width", "1.6"},
                          {"stroke-linejoin", "round"},
                          {"stroke-dasharray", style.dashed ? "6 3" : "none"}});
  if (kept.size() <= kMarkedPointsMax) {
    for (std::size_t i : kept)
      svg_.empty("circle", {{"cx", px(x_of(t[i]))}, {"cy", px(y_of(axis, top, v[i]))}, {"r", "2.5"},
                            {"fill", colour}});
  }
}

void PictureWriter::write_legend(const PanelSpec& panel, double top) {
  // Entries run leftwards from the right edge of the panel header.
  double x = kPlotLeft + kPlotWidth;
  const double y = top - 8;
  std::vector<const SeriesStyle*> entries = {&panel.left};
  if (panel.right) entries.push_back(&*panel.right);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const SeriesStyle& style = **it;
    const double text_width = style.legend.size() * kCharWidth;
    x -= text_width;
    svg_.text(style.legend, {{"x", px(x)}, {"y", px(y)}});
    svg_.empty("line", {{"x1", px(x - 30)}, {"y1", px(y - 4)}, {"x2", px(x - 6)}, {"y2", px(y - 4)},
                        {"stroke", std::string(style.colour)}, {"stroke-width", "2"},
                        {"stroke-dasharray", style.dashed ? "6 3" : "none"}});
    x -= 30 + 18;
  }
}

void PictureWriter::write_time_labels(double bottom) {
  const std::vector<double> ticks = time_.ticks();
  const std::vector<std::string> labels = tick_labels(time_, ticks);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const double x = x_of(ticks[i]);
    svg_.empty("line", {{"x1", px(x)}, {"y1", px(bottom)}, {"x2", px(x)}, {"y2", px(bottom + 5)},
                        {"stroke", std::string(kFrameColour)}});
    svg_.text(labels[i], {{"class", "time-tick"}, {"x", px(x)}, {"y", px(bottom + 18)}, {"text-anchor", "middle"}});
  }
  svg_.text("Time, T (T)", {{"x", px(kPlotLeft + kPlotWidth / 2)}, {"y", px(bottom + 38)},
                            {"text-anchor", "middle"}, {"font-size", "13"}});
}

void PictureWriter::write_notes(double bottom) {
  if (series_.rows_skipped == 0) return;
  const std::string note = std::to_string(series_.rows_skipped) + " of " + std::to_string(series_.rows_read) +
                           " rows not drawn: they hold NaN or Infinity.";
  svg_.text(note, {{"class", "note"}, {"x", px(kPlotLeft)}, {"y", px(bottom + 62)}, {"fill", "#b00000"}});
}

}  // namespace

void write_plot_svg(const PlotSeries& series, std::string_view source_name, std::ostream& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  PictureWriter(series, out).write(source_name);
}

}  // namespace kesta::plot
