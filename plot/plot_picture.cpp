#include "plot/plot_picture.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "plot/axis_scale.hpp"
#include "plot/date_axis.hpp"
#include "plot/significant.hpp"
#include "plot/svg_writer.hpp"
#include "plot/thinning.hpp"
#include "plot/totals.hpp"

namespace kesta::plot {

namespace {

// Page layout, in pixels.
constexpr double kPlotLeft = 120.0;
constexpr double kPlotWidth = kPlotColumns;
constexpr double kTitleBand = 44.0;           // one title line
constexpr double kTitleBandWithDeck = 80.0;   // TITLE1, TITLE2 and the files
constexpr double kTitleBandWithDates = 60.0;  // the file, then its span of dates
constexpr double kPanelHeader = 40.0;         // title and legend, then a note
constexpr double kPanelHeightOfThree = 180.0;
constexpr double kPanelHeightOfFour = 150.0;
constexpr double kPanelGap = 14.0;
constexpr double kBottomBand = 90.0;  // time ticks, time axis title, notes
constexpr int kTimeIntervals = 10;
constexpr double kLoneDateSpan = 3600.0;  // seconds either side of a single dated row
constexpr int kValueIntervals = 5;
// Series this short also get a dot at each point, so that one row still shows.
constexpr std::size_t kMarkedPointsMax = 60;
// Rough width of one character of 12 px sans-serif, for laying out the legend.
constexpr double kCharWidth = 6.6;

constexpr std::string_view kFont = "sans-serif";
constexpr std::string_view kGridColour = "#dddddd";
constexpr std::string_view kFrameColour = "#444444";
constexpr std::string_view kNoteColour = "#555555";
constexpr std::string_view kStageColour = "#0072b2";
constexpr std::string_view kRechargeColour = "#e69f00";
constexpr std::string_view kHeadColour = "#d55e00";
constexpr std::string_view kSeepageColour = "#0072b2";
constexpr std::string_view kBankColour = "#009e73";

// One line in a panel: vertices in time order, drawn against the left or the
// right axis.
struct Curve {
  std::string name;  // data-column: a plot-file column, STAGE or RECH
  const std::vector<double>* t;
  const std::vector<double>* v;
  std::string_view colour;
  bool dashed = false;
  bool right = false;
  bool dots_when_short = false;
};

// A value axis at one side of a panel.
struct Axis {
  AxisScale scale;
  std::string quantity;  // data-quantity, e.g. SEEP
  std::string label;     // e.g. "SEEP (m²/d)"
  std::string_view colour;
};

struct LegendEntry {
  std::string text;
  std::string_view colour;
  bool dashed;
};

struct Panel {
  std::string id;
  std::string title;
  std::string note;  // a line of explanation under the title
  std::vector<Curve> curves;
  Axis left;
  std::optional<Axis> right;
  bool zero_line = false;  // drawn wherever zero lies inside the panel or on its edge
  std::vector<LegendEntry> legend;
};

std::pair<double, double> value_range(const std::vector<double>& v) {
  if (v.empty()) return {0.0, 0.0};
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  return {*lo, *hi};
}

std::pair<double, double> with_zero(std::pair<double, double> range) {
  return {std::min(0.0, range.first), std::max(0.0, range.second)};
}

// Only ASCII is shown from a file name: the picture must stay valid UTF-8.
std::string shown_name(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (static_cast<unsigned char>(c) >= 0x7f || static_cast<unsigned char>(c) < 0x20) c = '?';
  return out;
}

std::string number_text(double v) { return significant(v, 6); }

// Exact, for the data attributes that tests and scripts read back.
std::string exact_text(double v) { return significant(v, 17); }

std::string label(std::string_view quantity, const std::string& unit) {
  return std::string(quantity) + " (" + unit + ")";
}

class PictureWriter {
 public:
  PictureWriter(const PlotSeries& series, const PictureOptions& options, std::ostream& out);
  void write();

 private:
  double x_of(double t) const { return kPlotLeft + time_.fraction(t) * kPlotWidth; }
  double y_of(const AxisScale& axis, double top, double v) const {
    return top + (1.0 - axis.fraction(v)) * panel_height_;
  }
  double panel_top(std::size_t index) const {
    return title_band_ + static_cast<double>(index) * (kPanelHeader + panel_height_ + kPanelGap) + kPanelHeader;
  }

  void plan_stress_panel();
  void plan_result_panels();
  void write_title();
  void write_panel(const Panel& panel, double top);
  void write_time_grid(double top);
  void write_axis(const Axis& axis, double top, bool at_right, bool grid);
  void write_zero_line(const AxisScale& axis, double top);
  void write_curve(const Curve& curve, const AxisScale& axis, double top);
  void write_legend(const Panel& panel, double top);
  void write_time_labels(double bottom);
  void write_date_labels(double bottom);
  std::vector<double> time_ticks() const;
  void write_notes(double bottom);

  const PlotSeries& series_;
  const PictureOptions& options_;
  SvgWriter svg_;
  AxisScale time_;
  const std::vector<double>* t_;  // the drawn rows' places on the time axis: model time or dates
  std::optional<DateAxis> date_axis_;
  double title_band_;
  double panel_height_;
  Staircase stage_, recharge_;
  std::vector<Panel> panels_;
  std::vector<std::string> notes_;  // under the time axis, in red
};

PictureWriter::PictureWriter(const PlotSeries& series, const PictureOptions& options, std::ostream& out)
    : series_(series),
      options_(options),
      svg_(out),
      t_(options.dates ? options.dates->seconds : &series[Column::T]),
      title_band_(options.deck    ? kTitleBandWithDeck
                  : options.dates ? kTitleBandWithDates
                                  : kTitleBand),
      panel_height_(options.deck ? kPanelHeightOfFour : kPanelHeightOfThree) {
  const std::vector<double>& t = *t_;
  if (options.dates && !t.empty()) {
    auto [first, last] = value_range(t);
    // One date alone is drawn in the middle of the hour either side.
    if (first == last) first -= kLoneDateSpan, last += kLoneDateSpan;
    time_ = time_axis(first, last, kTimeIntervals);
    date_axis_ = date_axis(first, last, options.dates->offset, kTimeIntervals);
  } else if (t.empty()) {
    time_ = time_axis(0.0, 1.0, kTimeIntervals);
  } else {
    auto [first, last] = value_range(t);
    // The reference line of the deck holds over the step before the first row.
    if (options.deck) first -= options.deck->DELT;
    time_ = time_axis(first, last, kTimeIntervals);
  }
  if (options.deck) plan_stress_panel();
  plan_result_panels();
}

void PictureWriter::plan_stress_panel() {
  const PictureDeck& deck = *options_.deck;
  const bool stage = deck.ISTRESS != 1;
  const bool recharge = deck.ISTRESS != 0;
  const std::string length = options_.units.length;
  Panel panel;
  panel.id = "stress";
  panel.title = stage && recharge ? "Stream stage and recharge"
                : stage           ? "Stream stage"
                                  : "Recharge (ISTRESS = 1: the stage is not used)";
  panel.note = std::string("As the model sees ") + (stage && recharge ? "them" : "it") +
               ": the value of time-stress line k holds from T(k) \u2212 DELT to T(k), the time of result row k"
               " (DELT = " +
               number_text(deck.DELT) + " " + options_.units.time + ").";
  stage_ = stress_steps(deck.STAGE, deck.TINIT, deck.DELT);
  recharge_ = stress_steps(deck.RECH, deck.TINIT, deck.DELT);
  if (stage) {
    const auto range = value_range(stage_.v);
    panel.left = {value_axis(range.first, range.second, kValueIntervals), "STAGE", label("STAGE", length),
                  kStageColour};
    panel.curves.push_back({"STAGE", &stage_.t, &stage_.v, kStageColour});
    panel.legend.push_back({recharge ? "STAGE, left axis" : "STAGE", kStageColour, false});
  }
  if (recharge) {
    const auto range = value_range(recharge_.v);
    const Axis axis{value_axis(range.first, range.second, kValueIntervals), "RECH", label("RECH", length),
                    kRechargeColour};
    if (stage)
      panel.right = axis;
    else
      panel.left = axis;
    panel.curves.push_back({"RECH", &recharge_.t, &recharge_.v, kRechargeColour, stage, stage});
    panel.legend.push_back({stage ? "RECH, right axis" : "RECH", kRechargeColour, stage});
  }
  panels_.push_back(std::move(panel));
}

void PictureWriter::plan_result_panels() {
  const Units& u = options_.units;
  const std::vector<double>& t = *t_;
  auto curve = [&](Column c, std::string_view colour) {
    return Curve{std::string(column_name(c)), &t, &series_[c], colour, false, false, true};
  };

  Panel head;
  head.id = "head";
  head.title = "Head at the observation well";
  if (options_.deck)
    head.note = "The well is at X = " + number_text(options_.deck->X) + " " + u.length + " from the stream centre.";
  const auto head_range = value_range(series_[Column::H]);
  head.left = {value_axis(head_range.first, head_range.second, kValueIntervals), "H", label("H", u.of(Column::H)),
               kHeadColour};
  head.curves.push_back(curve(Column::H, kHeadColour));
  head.legend.push_back({"H", kHeadColour, false});
  panels_.push_back(std::move(head));

  // Each total is its per-length value times 2·XSTREAM, so one curve serves
  // both: the right axis reads it in the total's units.
  double factor = 0.0;  // none known when not a positive number
  std::string factor_source;
  if (options_.deck) {
    factor = 2.0 * options_.deck->XSTREAM;
  } else {
    factor = totals_factor_from(series_).value_or(0.0);
    factor_source = options_.dates ? ", read back from the results" : ", read back from the " + options_.source_kind;
  }
  const bool has_factor = factor > 0.0 && std::isfinite(factor);
  if (has_factor) {
    if (const auto row = first_row_off_factor(series_, factor))
      notes_.push_back("SEEPT or BANKV of drawn row " + std::to_string(*row + 1) +
                       " is not 2\u00b7XSTREAM = " + number_text(factor) + " " + u.length +
                       " times SEEP or BANK: the right axes show SEEP and BANK times 2\u00b7XSTREAM.");
  }
  const std::string factor_text = number_text(factor) + " " + u.length + factor_source;

  struct Pair {
    std::string id, title, explanation;
    Column per_length, total;
    std::string total_name;
    std::string_view colour;
    bool zero_line;
  };
  const Pair pairs[] = {
      {"seepage", "Seepage", "Per unit length of stream, positive from the aquifer into the stream.", Column::SEEP,
       Column::SEEPT, "total", kSeepageColour, true},
      {"bank", "Bank storage", "Water taken into one bank per unit length of stream.", Column::BANK, Column::BANKV,
       "volume", kBankColour, false},
  };
  for (const Pair& p : pairs) {
    const std::string per_length(column_name(p.per_length));
    const std::string total(column_name(p.total));
    Panel panel;
    panel.id = p.id;
    panel.title = p.title;
    const auto range = with_zero(value_range(series_[p.per_length]));
    panel.left = {value_axis(range.first, range.second, kValueIntervals), per_length,
                  label(per_length, u.of(p.per_length)), p.colour};
    const AxisScale right = scaled_axis(panel.left.scale, factor, kValueIntervals);
    const bool right_axis = has_factor && std::isfinite(right.low) && std::isfinite(right.high);
    if (right_axis) {
      panel.right = Axis{right, total, label(total, u.of(p.total)), p.colour};
      panel.note = p.explanation + " Right axis: " + p.total_name + " " + total + " = " + per_length +
                   " \u00d7 2\u00b7XSTREAM (" + factor_text + ").";
    } else {
      const bool totals_zero = std::ranges::all_of(series_[p.total], [](double v) { return v == 0.0; });
      panel.note = p.explanation + " " + total +
                   (has_factor    ? " is beyond the range of a double: no right axis."
                    : totals_zero ? " is zero throughout as well."
                                  : " is not a positive multiple of " + per_length + " in this file: no right axis.");
    }
    panel.zero_line = p.zero_line;
    panel.curves.push_back(curve(p.per_length, p.colour));
    panel.legend.push_back(
        {right_axis ? per_length + " on the left axis, " + total + " on the right" : per_length, p.colour, false});
    panels_.push_back(std::move(panel));
  }
}

void PictureWriter::write() {
  const double bottom = panel_top(panels_.size() - 1) + panel_height_;
  const int height = static_cast<int>(std::ceil(bottom + kBottomBand));
  svg_.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                    {"width", std::to_string(kPictureWidth)},
                    {"height", std::to_string(height)},
                    {"viewBox", "0 0 " + std::to_string(kPictureWidth) + " " + std::to_string(height)},
                    {"font-family", std::string(kFont)},
                    {"font-size", "12"}});
  svg_.empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  write_title();
  for (std::size_t i = 0; i < panels_.size(); ++i) write_panel(panels_[i], panel_top(i));
  write_time_labels(bottom);
  write_notes(bottom);
  svg_.close("svg");
}

void PictureWriter::write_title() {
  std::string summary = std::to_string(series_.rows_read) + (series_.rows_read == 1 ? " time step" : " time steps");
  if (series_.size() > 0 && options_.dates) {
    summary += ", from " + options_.dates->first + " to " + options_.dates->last;
  } else if (series_.size() > 0) {
    summary += ", T from " + number_text(series_[Column::T].front()) + " to " + number_text(series_[Column::T].back()) +
               " " + options_.units.time;
  }
  const PictureDeck* deck = options_.deck;
  if (options_.dates) {
    // Dates are long: the span goes on a line of its own under the file's name.
    svg_.text("KESTA " + options_.source_kind + " " + shown_name(options_.source_name),
              {{"class", "title"}, {"x", px(kPlotLeft)}, {"y", "24"}, {"font-size", "16"}, {"font-weight", "bold"}});
    svg_.text(summary, {{"x", px(kPlotLeft)}, {"y", "44"}, {"fill", std::string(kNoteColour)}});
    return;
  }
  if (!deck || (deck->TITLE1.empty() && deck->TITLE2.empty())) {
    svg_.text("KESTA " + options_.source_kind + " " + shown_name(options_.source_name),
              {{"class", "title"}, {"x", px(kPlotLeft)}, {"y", "26"}, {"font-size", "16"}, {"font-weight", "bold"}});
    svg_.text(summary, {{"x", px(kPlotLeft + kPlotWidth)}, {"y", "26"}, {"text-anchor", "end"}});
    return;
  }
  svg_.text(printable_utf8(deck->TITLE1),
            {{"class", "title"}, {"x", px(kPlotLeft)}, {"y", "24"}, {"font-size", "16"}, {"font-weight", "bold"}});
  svg_.text(printable_utf8(deck->TITLE2),
            {{"class", "subtitle"}, {"x", px(kPlotLeft)}, {"y", "44"}, {"font-size", "13"}});
  svg_.text("KESTA " + options_.source_kind + " " + shown_name(options_.source_name) + ": " + summary,
            {{"x", px(kPlotLeft)}, {"y", "64"}, {"fill", std::string(kNoteColour)}});
}

void PictureWriter::write_panel(const Panel& panel, double top) {
  svg_.open("g", {{"class", "panel"}, {"id", "panel-" + panel.id}});
  svg_.text(panel.title, {{"x", px(kPlotLeft)}, {"y", px(top - 22)}, {"font-size", "14"}, {"font-weight", "bold"}});
  if (!panel.note.empty())
    svg_.text(panel.note, {{"class", "panel-note"},
                           {"x", px(kPlotLeft)},
                           {"y", px(top - 6)},
                           {"font-size", "11"},
                           {"fill", std::string(kNoteColour)}});
  svg_.empty("rect", {{"class", "frame"},
                      {"x", px(kPlotLeft)},
                      {"y", px(top)},
                      {"width", px(kPlotWidth)},
                      {"height", px(panel_height_)},
                      {"fill", "white"},
                      {"stroke", std::string(kFrameColour)}});
  write_time_grid(top);
  write_axis(panel.left, top, false, true);
  if (panel.right) write_axis(*panel.right, top, true, false);
  if (panel.zero_line) write_zero_line(panel.left.scale, top);
  for (const Curve& c : panel.curves) write_curve(c, c.right ? panel.right->scale : panel.left.scale, top);
  write_legend(panel, top);

  bool empty = true;
  for (const Curve& c : panel.curves) empty = empty && c.t->empty();
  if (empty) {
    const std::string_view note =
        series_.rows_read == 0 ? "No time steps in the plot file" : "No rows with finite values to draw";
    svg_.text(note, {{"x", px(kPlotLeft + kPlotWidth / 2)},
                     {"y", px(top + panel_height_ / 2)},
                     {"text-anchor", "middle"},
                     {"font-size", "14"},
                     {"fill", "#666666"}});
  }
  svg_.close("g");
}

void PictureWriter::write_time_grid(double top) {
  for (double t : time_ticks()) {
    const std::string x = px(x_of(t));
    svg_.empty(
        "line",
        {{"x1", x}, {"y1", px(top)}, {"x2", x}, {"y2", px(top + panel_height_)}, {"stroke", std::string(kGridColour)}});
  }
}

void PictureWriter::write_axis(const Axis& axis, double top, bool at_right, bool grid) {
  svg_.open("g", {{"class", "axis"},
                  {"data-side", at_right ? "right" : "left"},
                  {"data-quantity", axis.quantity},
                  {"data-low", exact_text(axis.scale.low)},
                  {"data-high", exact_text(axis.scale.high)}});
  const std::vector<double> ticks = axis.scale.ticks();
  const std::vector<std::string> labels = tick_labels(axis.scale, ticks);
  const double edge = at_right ? kPlotLeft + kPlotWidth : kPlotLeft;
  const double tick_end = at_right ? edge + 5 : edge - 5;
  const double label_x = at_right ? edge + 8 : edge - 8;
  const std::string colour(axis.colour);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const double y = y_of(axis.scale, top, ticks[i]);
    if (grid)
      svg_.empty("line", {{"x1", px(kPlotLeft)},
                          {"y1", px(y)},
                          {"x2", px(kPlotLeft + kPlotWidth)},
                          {"y2", px(y)},
                          {"stroke", std::string(kGridColour)}});
    svg_.empty(
        "line",
        {{"x1", px(edge)}, {"y1", px(y)}, {"x2", px(tick_end)}, {"y2", px(y)}, {"stroke", std::string(kFrameColour)}});
    svg_.text(labels[i], {{"class", "tick"},
                          {"x", px(label_x)},
                          {"y", px(y + 4)},
                          {"text-anchor", at_right ? "start" : "end"},
                          {"fill", colour}});
  }
  // The axis title reads upwards beside the tick labels.
  const double title_x = at_right ? edge + 80 : edge - 80;
  const double title_y = top + panel_height_ / 2;
  svg_.text(axis.label, {{"class", "axis-title"},
                         {"x", px(title_x)},
                         {"y", px(title_y)},
                         {"text-anchor", "middle"},
                         {"fill", colour},
                         {"transform", "rotate(-90 " + px(title_x) + " " + px(title_y) + ")"}});
  svg_.close("g");
}

// A dark line at zero, without a label of its own: the axes' "0" ticks name it,
// and a label inside the panel would sit on a curve that ends near zero.
void PictureWriter::write_zero_line(const AxisScale& axis, double top) {
  if (!(axis.low <= 0.0 && axis.high >= 0.0)) return;
  const double y = y_of(axis, top, 0.0);
  svg_.empty("line", {{"class", "zero-line"},
                      {"x1", px(kPlotLeft)},
                      {"y1", px(y)},
                      {"x2", px(kPlotLeft + kPlotWidth)},
                      {"y2", px(y)},
                      {"stroke", "#000000"},
                      {"stroke-width", "1.2"}});
}

void PictureWriter::write_curve(const Curve& curve, const AxisScale& axis, double top) {
  const std::vector<double>& t = *curve.t;
  const std::vector<double>& v = *curve.v;
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
  const std::string colour(curve.colour);
  svg_.empty("polyline", {{"class", "series"},
                          {"data-column", curve.name},
                          {"points", points},
                          {"fill", "none"},
                          {"stroke", colour},
                          {"stroke-width", "1.6"},
                          {"stroke-linejoin", "round"},
                          {"stroke-dasharray", curve.dashed ? "6 3" : "none"}});
  if (curve.dots_when_short && kept.size() <= kMarkedPointsMax) {
    for (std::size_t i : kept)
      svg_.empty("circle", {{"cx", px(x_of(t[i]))}, {"cy", px(y_of(axis, top, v[i]))}, {"r", "2.5"}, {"fill", colour}});
  }
}

void PictureWriter::write_legend(const Panel& panel, double top) {
  // Entries run leftwards from the right edge of the panel header.
  double x = kPlotLeft + kPlotWidth;
  const double y = top - 22;
  for (auto it = panel.legend.rbegin(); it != panel.legend.rend(); ++it) {
    x -= static_cast<double>(it->text.size()) * kCharWidth;
    svg_.text(it->text, {{"class", "legend"}, {"x", px(x)}, {"y", px(y)}});
    svg_.empty("line", {{"x1", px(x - 30)},
                        {"y1", px(y - 4)},
                        {"x2", px(x - 6)},
                        {"y2", px(y - 4)},
                        {"stroke", std::string(it->colour)},
                        {"stroke-width", "2"},
                        {"stroke-dasharray", it->dashed ? "6 3" : "none"}});
    x -= 30 + 18;
  }
}

std::vector<double> PictureWriter::time_ticks() const {
  if (!date_axis_) return time_.ticks();
  std::vector<double> at;
  for (const DateTick& tick : date_axis_->ticks) at.push_back(tick.at);
  return at;
}

// Calendar ticks: the label, and under it what the label leaves out (the
// day under hours, the year under days and months).
void PictureWriter::write_date_labels(double bottom) {
  for (const DateTick& tick : date_axis_->ticks) {
    const double x = x_of(tick.at);
    svg_.empty("line", {{"x1", px(x)},
                        {"y1", px(bottom)},
                        {"x2", px(x)},
                        {"y2", px(bottom + 5)},
                        {"stroke", std::string(kFrameColour)}});
    svg_.text(tick.label, {{"class", "time-tick"}, {"x", px(x)}, {"y", px(bottom + 18)}, {"text-anchor", "middle"}});
    if (!tick.context.empty())
      svg_.text(tick.context, {{"class", "time-tick-context"},
                               {"x", px(x)},
                               {"y", px(bottom + 32)},
                               {"text-anchor", "middle"},
                               {"fill", std::string(kNoteColour)}});
  }
  svg_.text("Date (" + offset_name(options_.dates->offset) + ")", {{"class", "axis-title"},
                                                                   {"x", px(kPlotLeft + kPlotWidth / 2)},
                                                                   {"y", px(bottom + 48)},
                                                                   {"text-anchor", "middle"},
                                                                   {"font-size", "13"}});
}

void PictureWriter::write_time_labels(double bottom) {
  if (date_axis_) return write_date_labels(bottom);
  const std::vector<double> ticks = time_.ticks();
  const std::vector<std::string> labels = tick_labels(time_, ticks);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const double x = x_of(ticks[i]);
    svg_.empty("line", {{"x1", px(x)},
                        {"y1", px(bottom)},
                        {"x2", px(x)},
                        {"y2", px(bottom + 5)},
                        {"stroke", std::string(kFrameColour)}});
    svg_.text(labels[i], {{"class", "time-tick"}, {"x", px(x)}, {"y", px(bottom + 18)}, {"text-anchor", "middle"}});
  }
  svg_.text(label("Time, T", options_.units.of(Column::T)), {{"class", "axis-title"},
                                                             {"x", px(kPlotLeft + kPlotWidth / 2)},
                                                             {"y", px(bottom + 38)},
                                                             {"text-anchor", "middle"},
                                                             {"font-size", "13"}});
}

void PictureWriter::write_notes(double bottom) {
  std::vector<std::string> notes;
  if (series_.rows_skipped > 0)
    notes.push_back(std::to_string(series_.rows_skipped) + " of " + std::to_string(series_.rows_read) +
                    " rows not drawn: they hold NaN or Infinity.");
  notes.insert(notes.end(), notes_.begin(), notes_.end());
  double y = bottom + 60;
  for (const std::string& note : notes) {
    svg_.text(note, {{"class", "note"}, {"x", px(kPlotLeft)}, {"y", px(y)}, {"fill", "#b00000"}});
    y += 15;
  }
}

}  // namespace

int panel_count(const PictureOptions& options) { return options.deck ? 4 : 3; }

void write_plot_svg(const PlotSeries& series, const PictureOptions& options, std::ostream& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  PictureWriter(series, options, out).write();
}

}  // namespace kesta::plot
