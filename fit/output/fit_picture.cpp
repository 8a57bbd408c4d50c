#include "fit/output/fit_picture.hpp"

#include <algorithm>
#include <cmath>

#include "fit/estimation/number_text.hpp"
#include "plot/axis_scale.hpp"
#include "plot/svg_writer.hpp"
#include "plot/thinning.hpp"

namespace kesta::fit_detail {

namespace {

using plot::px;

// Page layout, in pixels; the plotting area matches kesta-plot's.
constexpr int kWidth = 1000;
constexpr double kLeft = 120.0;
constexpr int kColumns = 760;
constexpr double kPlotWidth = kColumns;
constexpr double kTitleBand = 44.0;
constexpr double kHeader = 26.0;
constexpr double kPanelHeight = 180.0;
constexpr double kGap = 40.0;
constexpr double kFooter = 50.0;
constexpr int kTimeIntervals = 10;
constexpr int kValueIntervals = 5;
constexpr std::string_view kObservedColour = "#d55e00";
constexpr std::string_view kFittedColour = "#0072b2";
constexpr std::string_view kGridColour = "#dddddd";
constexpr std::string_view kFrameColour = "#444444";

double panel_top(std::size_t i) {
  return kTitleBand + static_cast<double>(i) * (kHeader + kPanelHeight + kGap) + kHeader;
}

// Only ASCII is shown from a file name: the picture must stay valid UTF-8.
std::string shown(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (static_cast<unsigned char>(c) >= 0x7f || static_cast<unsigned char>(c) < 0x20) c = '?';
  return out;
}

std::string panel_title(const PicturePanel& p) {
  if (p.kind == Kind::Seepage) return "Seepage (L**2/T): " + shown(p.name);
  return "Head (L) at " + six_digits(p.distance.value_or(0.0)) + " from the stream: " + shown(p.name);
}

class FitPicture {
 public:
  FitPicture(const std::vector<PicturePanel>& panels, std::ostream& out)
      : panels_(panels), svg_(out), time_(make_time_axis(panels)) {}

  void write(std::string_view title) {
    const double height = panel_top(panels_.size()) - kHeader - kGap + kFooter;
    const std::string w = std::to_string(kWidth);
    const std::string h = px(height);
    svg_.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                      {"width", w},
                      {"height", h},
                      {"viewBox", "0 0 " + w + " " + h},
                      {"font-family", "sans-serif"},
                      {"font-size", "12"}});
    svg_.empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
    svg_.text(shown(title), {{"x", px(kLeft)}, {"y", "26"}, {"font-size", "16"}, {"font-weight", "bold"}});
    write_legend();
    for (std::size_t i = 0; i < panels_.size(); ++i) write_panel(panels_[i], panel_top(i));
    svg_.text(
        "Time (T)",
        {{"x", px(kLeft + kPlotWidth / 2)}, {"y", px(height - 12)}, {"text-anchor", "middle"}, {"font-size", "13"}});
    svg_.close("svg");
  }

 private:
  static plot::AxisScale make_time_axis(const std::vector<PicturePanel>& panels) {
    double lo = INFINITY, hi = -INFINITY;
    for (const PicturePanel& p : panels) {
      for (const std::vector<double>* t : {&p.observed_time, &p.fitted.time}) {
        if (t->empty()) continue;
        lo = std::min(lo, *std::min_element(t->begin(), t->end()));
        hi = std::max(hi, *std::max_element(t->begin(), t->end()));
      }
    }
    if (!(lo <= hi)) return plot::time_axis(0.0, 1.0, kTimeIntervals);
    return plot::time_axis(lo, hi, kTimeIntervals);
  }

  double x_of(double t) const { return kLeft + time_.fraction(t) * kPlotWidth; }
  static double y_of(const plot::AxisScale& axis, double top, double v) {
    return top + (1.0 - axis.fraction(v)) * kPanelHeight;
  }

  void write_legend() {
    const double right = kLeft + kPlotWidth;
    svg_.empty("circle", {{"class", "legend"},
                          {"cx", px(right - 150)},
                          {"cy", "22"},
                          {"r", "2.5"},
                          {"fill", std::string(kObservedColour)}});
    svg_.text("observed", {{"x", px(right - 142)}, {"y", "26"}});
    svg_.empty("line", {{"x1", px(right - 70)},
                        {"y1", "22"},
                        {"x2", px(right - 46)},
                        {"y2", "22"},
                        {"stroke", std::string(kFittedColour)},
                        {"stroke-width", "1.6"}});
    svg_.text("fitted", {{"x", px(right - 40)}, {"y", "26"}});
  }

  void write_panel(const PicturePanel& p, double top) {
    double lo = INFINITY, hi = -INFINITY;
    for (const std::vector<double>* v : {&p.observed_value, &p.fitted.value}) {
      for (double x : *v) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
    if (!(lo <= hi)) lo = hi = 0.0;
    const plot::AxisScale axis = plot::value_axis(lo, hi, kValueIntervals);
    svg_.open("g", {{"class", "panel"}});
    svg_.text(panel_title(p), {{"x", px(kLeft)}, {"y", px(top - 8)}, {"font-size", "14"}, {"font-weight", "bold"}});
    svg_.empty("rect", {{"x", px(kLeft)},
                        {"y", px(top)},
                        {"width", px(kPlotWidth)},
                        {"height", px(kPanelHeight)},
                        {"fill", "white"},
                        {"stroke", std::string(kFrameColour)}});
    write_grid(axis, top);
    write_fitted(p.fitted, axis, top);
    write_observed(p, axis, top);
    svg_.close("g");
  }

  void write_grid(const plot::AxisScale& axis, double top) {
    const std::vector<double> ticks = axis.ticks();
    const std::vector<std::string> labels = plot::tick_labels(axis, ticks);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      const double y = y_of(axis, top, ticks[i]);
      svg_.empty("line", {{"x1", px(kLeft)},
                          {"y1", px(y)},
                          {"x2", px(kLeft + kPlotWidth)},
                          {"y2", px(y)},
                          {"stroke", std::string(kGridColour)}});
      svg_.text(labels[i], {{"x", px(kLeft - 8)}, {"y", px(y + 4)}, {"text-anchor", "end"}});
    }
    const std::vector<double> times = time_.ticks();
    const std::vector<std::string> time_labels = plot::tick_labels(time_, times);
    for (std::size_t i = 0; i < times.size(); ++i) {
      const double x = x_of(times[i]);
      svg_.empty("line", {{"x1", px(x)},
                          {"y1", px(top)},
                          {"x2", px(x)},
                          {"y2", px(top + kPanelHeight)},
                          {"stroke", std::string(kGridColour)}});
      svg_.text(time_labels[i], {{"x", px(x)}, {"y", px(top + kPanelHeight + 16)}, {"text-anchor", "middle"}});
    }
  }

  void write_fitted(const Curve& curve, const plot::AxisScale& axis, double top) {
    if (curve.time.empty()) return;
    std::vector<int> columns;
    for (double t : curve.time)
      columns.push_back(std::clamp(static_cast<int>(std::floor(time_.fraction(t) * kColumns)), 0, kColumns - 1));
    std::string points;
    for (std::size_t i : plot::thin_to_columns(columns, curve.value)) {
      if (!points.empty()) points += ' ';
      points += px(x_of(curve.time[i])) + "," + px(y_of(axis, top, curve.value[i]));
    }
    svg_.empty("polyline", {{"class", "fitted"},
                            {"points", points},
                            {"fill", "none"},
                            {"stroke", std::string(kFittedColour)},
                            {"stroke-width", "1.6"}});
  }

  void write_observed(const PicturePanel& p, const plot::AxisScale& axis, double top) {
    svg_.open("g", {{"class", "observed"}, {"fill", std::string(kObservedColour)}});
    for (std::size_t i = 0; i < p.observed_time.size(); ++i)
      svg_.empty(
          "circle",
          {{"cx", px(x_of(p.observed_time[i]))}, {"cy", px(y_of(axis, top, p.observed_value[i]))}, {"r", "2.2"}});
    svg_.close("g");
  }

  const std::vector<PicturePanel>& panels_;
  plot::SvgWriter svg_;
  plot::AxisScale time_;
};

}  // namespace

void write_fit_svg(const std::vector<PicturePanel>& panels, std::string_view title, std::ostream& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  FitPicture(panels, out).write(title);
}

}  // namespace kesta::fit_detail
