#include "fit/output/fit_picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "fit/estimation/number_text.hpp"
#include "fit/output/picture_marks.hpp"
#include "plot/axis_scale.hpp"
#include "plot/date_axis.hpp"
#include "plot/svg_writer.hpp"

namespace kesta::fit_detail {

namespace {

using plot::px;

// Page layout, in pixels; the plotting area matches kesta-plot's.
constexpr int kWidth = 1000;
constexpr double kLeft = 120.0;
constexpr int kColumns = 760;
constexpr double kPlotWidth = kColumns;
constexpr double kAxisTitleX = 28.0;
constexpr double kTitleBand = 62.0;
constexpr double kHeader = 26.0;
constexpr double kPanelHeight = 180.0;
constexpr double kResidualHeader = 44.0;  // the time labels of the panel above, then the residuals' title
constexpr double kResidualHeight = 90.0;
constexpr double kGap = 40.0;
constexpr double kFooter = 50.0;
constexpr double kDatedFooter = 66.0;  // a second line under each calendar tick
constexpr double kRecordHeight = kHeader + kPanelHeight + kResidualHeader + kResidualHeight + kGap;
constexpr int kTimeIntervals = 10;
constexpr int kValueIntervals = 5;
constexpr int kResidualIntervals = 4;
constexpr std::string_view kObservedColour = "#d55e00";
constexpr std::string_view kFittedColour = "#0072b2";
// Opaque, so that the bands look the same in every renderer: the prediction
// band light, the confidence band inside it darker.
constexpr std::string_view kPredictionColour = "#d6e6f4";
constexpr std::string_view kConfidenceColour = "#8fbde0";
constexpr std::string_view kGridColour = "#dddddd";
constexpr std::string_view kFrameColour = "#444444";
constexpr std::string_view kZeroColour = "#222222";

double panel_top(std::size_t i) { return kTitleBand + static_cast<double>(i) * kRecordHeight + kHeader; }
double residual_top(std::size_t i) { return panel_top(i) + kPanelHeight + kResidualHeader; }

std::string label(std::string_view quantity, const std::string& unit) {
  return std::string(quantity) + " (" + unit + ")";
}

std::string value_unit(Kind kind, const plot::Units& u) {
  return u.of(kind == Kind::Seepage ? plot::Column::SEEP : plot::Column::H);
}

std::string panel_title(const PicturePanel& p, const plot::Units& u) {
  const std::string name = plot::printable_utf8(p.name);
  if (p.kind == Kind::Seepage) return "Seepage per unit length of stream: " + name;
  return "Head at " + six_digits(p.distance.value_or(0.0)) + " " + u.length + " from the stream: " + name;
}

// Lowest and highest finite value of several series; nothing when there is none.
std::optional<std::pair<double, double>> range_of(std::initializer_list<const std::vector<double>*> series) {
  double lo = INFINITY, hi = -INFINITY;
  for (const std::vector<double>* v : series)
    for (double x : *v)
      if (std::isfinite(x)) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
  if (!(lo <= hi)) return std::nullopt;
  return std::make_pair(lo, hi);
}

class FitPicture {
 public:
  FitPicture(const std::vector<PicturePanel>& panels, const PictureText& text, std::ostream& out)
      : panels_(panels), text_(text), svg_(out), time_(make_time_axis(panels)) {
    if (text.date_offset) dates_ = plot::date_axis(time_.low, time_.high, *text.date_offset, kTimeIntervals);
  }

  void write() {
    const double height =
        kTitleBand + static_cast<double>(panels_.size()) * kRecordHeight - kGap + (dates_ ? kDatedFooter : kFooter);
    const std::string w = std::to_string(kWidth);
    const std::string h = px(height);
    svg_.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                      {"width", w},
                      {"height", h},
                      {"viewBox", "0 0 " + w + " " + h},
                      {"font-family", "sans-serif"},
                      {"font-size", "12"}});
    svg_.empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
    svg_.text(plot::printable_utf8(text_.title),
              {{"x", px(kLeft)}, {"y", "24"}, {"font-size", "16"}, {"font-weight", "bold"}});
    write_legend();
    for (std::size_t i = 0; i < panels_.size(); ++i) {
      write_panel(panels_[i], panel_top(i));
      write_residuals(panels_[i], residual_top(i));
    }
    const std::string time_title =
        dates_ ? "Date (" + plot::offset_name(*text_.date_offset) + ")" : label("Time", text_.units.time);
    svg_.text(time_title, {{"class", "axis-title"},
                           {"x", px(kLeft + kPlotWidth / 2)},
                           {"y", px(height - 12)},
                           {"text-anchor", "middle"},
                           {"font-size", "13"}});
    svg_.close("svg");
  }

 private:
  static plot::AxisScale make_time_axis(const std::vector<PicturePanel>& panels) {
    double lo = INFINITY, hi = -INFINITY;
    for (const PicturePanel& p : panels) {
      if (const auto r = range_of({&p.observed_time, &p.fitted.time})) {
        lo = std::min(lo, r->first);
        hi = std::max(hi, r->second);
      }
    }
    if (!(lo <= hi)) return plot::time_axis(0.0, 1.0, kTimeIntervals);
    return plot::time_axis(lo, hi, kTimeIntervals);
  }

  PanelFrame frame(const plot::AxisScale& value, double top, double height) const {
    return {time_, value, kLeft, top, kPlotWidth, height, kColumns};
  }

  bool any_band(bool prediction) const {
    return std::any_of(panels_.begin(), panels_.end(), [&](const PicturePanel& p) {
      return p.band && !(prediction ? p.band->pred_lower : p.band->conf_lower).empty();
    });
  }

  // One row under the title: a swatch or mark, then its words.
  void write_legend() {
    double x = kLeft;
    constexpr double y = 46.0;
    svg_.open("g", {{"class", "legend"}});
    svg_.empty("circle", {{"class", "legend"},
                          {"cx", px(x + 6)},
                          {"cy", px(y - 4)},
                          {"r", "2.5"},
                          {"fill", std::string(kObservedColour)}});
    svg_.text("observed", {{"x", px(x + 14)}, {"y", px(y)}});
    x += 90;
    svg_.empty("line", {{"x1", px(x)},
                        {"y1", px(y - 4)},
                        {"x2", px(x + 24)},
                        {"y2", px(y - 4)},
                        {"stroke", std::string(kFittedColour)},
                        {"stroke-width", "1.6"}});
    svg_.text("fitted", {{"x", px(x + 30)}, {"y", px(y)}});
    x += 90;
    const std::pair<bool, std::pair<std::string_view, std::string>> bands[] = {
        {any_band(false), {kConfidenceColour, percent(text_.band_level) + " confidence band"}},
        {any_band(true), {kPredictionColour, percent(text_.band_level) + " prediction band"}}};
    for (const auto& [shown, item] : bands) {
      if (!shown) continue;
      svg_.empty(
          "rect",
          {{"x", px(x)}, {"y", px(y - 10)}, {"width", "24"}, {"height", "12"}, {"fill", std::string(item.first)}});
      svg_.text(item.second, {{"x", px(x + 30)}, {"y", px(y)}});
      x += 190;
    }
    svg_.text("residual: observed \u2212 simulated", {{"x", px(x)}, {"y", px(y)}});
    svg_.close("g");
  }

  // context: the calendar's second line under the ticks, where there is room for it.
  void write_frame(const PanelFrame& f, const std::string& title, const std::string& axis_title, bool context) {
    svg_.text(title, {{"x", px(kLeft)}, {"y", px(f.top - 8)}, {"font-size", "14"}, {"font-weight", "bold"}});
    const double middle = f.top + f.height / 2;
    svg_.text(axis_title, {{"class", "axis-title"},
                           {"x", px(kAxisTitleX)},
                           {"y", px(middle)},
                           {"text-anchor", "middle"},
                           {"font-size", "13"},
                           {"transform", "rotate(-90 " + px(kAxisTitleX) + " " + px(middle) + ")"}});
    svg_.empty("rect", {{"class", "frame"},
                        {"x", px(f.left)},
                        {"y", px(f.top)},
                        {"width", px(f.width)},
                        {"height", px(f.height)},
                        {"fill", "white"},
                        {"stroke", std::string(kFrameColour)}});
    write_grid(f, context);
  }

  void write_panel(const PicturePanel& p, double top) {
    std::pair<double, double> range = range_of({&p.observed_value, &p.fitted.value}).value_or(std::make_pair(0.0, 0.0));
    if (p.band)
      if (const auto b = range_of({&p.band->conf_lower, &p.band->conf_upper, &p.band->pred_lower, &p.band->pred_upper}))
        range = {std::min(range.first, b->first), std::max(range.second, b->second)};
    const PanelFrame f = frame(plot::value_axis(range.first, range.second, kValueIntervals), top, kPanelHeight);
    svg_.open("g", {{"class", "panel"}});
    write_frame(f, panel_title(p, text_.units),
                label(p.kind == Kind::Seepage ? "Seepage" : "Head", value_unit(p.kind, text_.units)), false);
    if (p.band) {
      write_band(f, p.band->time, p.band->pred_lower, p.band->pred_upper, "prediction-band", kPredictionColour);
      write_band(f, p.band->time, p.band->conf_lower, p.band->conf_upper, "confidence-band", kConfidenceColour);
    }
    write_points(f, p.observed_time, p.observed_value, "observed", false);
    // Over the points, so that a dense record does not hide the curve.
    if (!p.fitted.time.empty())
      svg_.empty("polyline", {{"class", "fitted"},
                              {"points", polyline_points(f, p.fitted.time, p.fitted.value)},
                              {"fill", "none"},
                              {"stroke", std::string(kFittedColour)},
                              {"stroke-width", "1.6"}});
    svg_.close("g");
  }

  void write_residuals(const PicturePanel& p, double top) {
    const auto [lo, hi] = range_of({&p.residual}).value_or(std::make_pair(0.0, 0.0));
    // Zero always inside, so that the zero line is drawn.
    const PanelFrame f =
        frame(plot::value_axis(std::min(lo, 0.0), std::max(hi, 0.0), kResidualIntervals), top, kResidualHeight);
    svg_.open("g", {{"class", "residual-panel"}});
    write_frame(f, "Residuals of " + plot::printable_utf8(p.name), label("Residual", value_unit(p.kind, text_.units)),
                true);
    const double y = f.y_of(0.0);
    svg_.empty("line", {{"class", "zero"},
                        {"x1", px(f.left)},
                        {"y1", px(y)},
                        {"x2", px(f.left + f.width)},
                        {"y2", px(y)},
                        {"stroke", std::string(kZeroColour)}});
    write_points(f, p.observed_time, p.residual, "residuals", true);
    svg_.close("g");
  }

  void write_band(const PanelFrame& f, const std::vector<double>& time, const std::vector<double>& lower,
                  const std::vector<double>& upper, std::string_view kind, std::string_view colour) {
    if (lower.empty() || lower.size() != time.size() || upper.size() != time.size()) return;
    std::string points;
    for (const auto& [x, y] : band_outline(f, time, lower, upper)) {
      if (!points.empty()) points += ' ';
      points += px(x) + "," + px(y);
    }
    svg_.empty("polygon",
               {{"class", std::string(kind)}, {"points", points}, {"fill", std::string(colour)}, {"stroke", "none"}});
  }

  // Observed points are circles of their own; a residual's carries its class
  // so that the two read apart.
  void write_points(const PanelFrame& f, const std::vector<double>& time, const std::vector<double>& value,
                    std::string_view kind, bool residual) {
    const DrawnPoints drawn = drawn_points(f, time, value);
    svg_.open("g", {{"class", std::string(kind)}, {"fill", std::string(kObservedColour)}});
    if (!drawn.spans.empty()) {
      std::string d;
      for (const auto& [x, ys] : drawn.spans) d += "M" + px(x) + " " + px(ys.first) + "V" + px(ys.second);
      svg_.empty("path", {{"class", "dense"}, {"d", d}, {"stroke", std::string(kObservedColour)}, {"fill", "none"}});
    }
    for (std::size_t i : drawn.kept) {
      if (residual)
        svg_.empty("circle",
                   {{"class", "residual"}, {"cx", px(f.x_of(time[i]))}, {"cy", px(f.y_of(value[i]))}, {"r", "1.8"}});
      else
        svg_.empty("circle", {{"cx", px(f.x_of(time[i]))}, {"cy", px(f.y_of(value[i]))}, {"r", "2.2"}});
    }
    svg_.close("g");
  }

  void write_grid(const PanelFrame& f, bool context) {
    const std::vector<double> ticks = f.value.ticks();
    const std::vector<std::string> labels = plot::tick_labels(f.value, ticks);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      const double y = f.y_of(ticks[i]);
      svg_.empty("line", {{"x1", px(f.left)},
                          {"y1", px(y)},
                          {"x2", px(f.left + f.width)},
                          {"y2", px(y)},
                          {"stroke", std::string(kGridColour)}});
      svg_.text(labels[i], {{"x", px(f.left - 8)}, {"y", px(y + 4)}, {"text-anchor", "end"}});
    }
    std::vector<double> times;
    std::vector<std::string> time_labels, contexts;
    if (dates_) {
      for (const plot::DateTick& tick : dates_->ticks) {
        times.push_back(tick.at);
        time_labels.push_back(tick.label);
        contexts.push_back(context ? tick.context : "");
      }
    } else {
      times = time_.ticks();
      time_labels = plot::tick_labels(time_, times);
      contexts.assign(times.size(), "");
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
      const double x = f.x_of(times[i]);
      svg_.empty("line", {{"x1", px(x)},
                          {"y1", px(f.top)},
                          {"x2", px(x)},
                          {"y2", px(f.top + f.height)},
                          {"stroke", std::string(kGridColour)}});
      svg_.text(time_labels[i], {{"x", px(x)}, {"y", px(f.top + f.height + 16)}, {"text-anchor", "middle"}});
      if (!contexts[i].empty())
        svg_.text(contexts[i], {{"class", "time-tick-context"},
                                {"x", px(x)},
                                {"y", px(f.top + f.height + 30)},
                                {"text-anchor", "middle"},
                                {"fill", "#555555"}});
    }
  }

  const std::vector<PicturePanel>& panels_;
  const PictureText& text_;
  plot::SvgWriter svg_;
  plot::AxisScale time_;
  std::optional<plot::DateAxis> dates_;
};

}  // namespace

void write_fit_svg(const std::vector<PicturePanel>& panels, const PictureText& text, std::ostream& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  FitPicture(panels, text, out).write();
}

}  // namespace kesta::fit_detail
