#include "fit/output/picture_marks.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "plot/svg_writer.hpp"
#include "plot/thinning.hpp"

namespace kesta::fit_detail {

namespace {

// The finite samples in time order (a stable sort keeps a record's own order
// between equal times), then thinned to the columns they fall in.
std::vector<std::size_t> thinned(const PanelFrame& frame, const std::vector<double>& time,
                                 const std::vector<double>& value, std::vector<std::size_t>* order_out) {
  const std::size_t n = std::min(time.size(), value.size());
  std::vector<std::size_t> order;
  order.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    if (std::isfinite(time[i]) && std::isfinite(value[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return time[a] < time[b]; });
  std::vector<int> columns;
  std::vector<double> values;
  columns.reserve(order.size());
  values.reserve(order.size());
  for (std::size_t i : order) {
    columns.push_back(frame.column_of(time[i]));
    values.push_back(value[i]);
  }
  std::vector<std::size_t> kept;
  for (std::size_t k : plot::thin_to_columns(columns, values)) kept.push_back(order[k]);
  if (order_out) *order_out = std::move(order);
  return kept;
}

}  // namespace

int PanelFrame::column_of(double t) const {
  const double f = time.fraction(t) * columns;
  return static_cast<int>(std::clamp(std::floor(f), 0.0, static_cast<double>(columns - 1)));
}

std::vector<std::size_t> drawn_samples(const PanelFrame& frame, const std::vector<double>& time,
                                       const std::vector<double>& value) {
  return thinned(frame, time, value, nullptr);
}

std::string polyline_points(const PanelFrame& frame, const std::vector<double>& time,
                            const std::vector<double>& value) {
  std::string points;
  for (std::size_t i : drawn_samples(frame, time, value)) {
    if (!points.empty()) points += ' ';
    points += plot::px(frame.x_of(time[i])) + "," + plot::px(frame.y_of(value[i]));
  }
  return points;
}

std::vector<std::pair<double, double>> band_outline(const PanelFrame& frame, const std::vector<double>& time,
                                                    const std::vector<double>& lower,
                                                    const std::vector<double>& upper) {
  std::vector<std::pair<double, double>> out;
  for (std::size_t i : drawn_samples(frame, time, upper)) out.emplace_back(frame.x_of(time[i]), frame.y_of(upper[i]));
  const std::vector<std::size_t> back = drawn_samples(frame, time, lower);
  for (auto it = back.rbegin(); it != back.rend(); ++it)
    out.emplace_back(frame.x_of(time[*it]), frame.y_of(lower[*it]));
  return out;
}

DrawnPoints drawn_points(const PanelFrame& frame, const std::vector<double>& time, const std::vector<double>& value) {
  DrawnPoints out;
  std::vector<std::size_t> order;
  out.kept = thinned(frame, time, value, &order);
  // Per column: how many points it held and how many are drawn.
  std::size_t k = 0;
  for (std::size_t start = 0; start < order.size();) {
    const int column = frame.column_of(time[order[start]]);
    std::size_t end = start;
    double lo = value[order[start]], hi = lo;
    for (; end < order.size() && frame.column_of(time[order[end]]) == column; ++end) {
      lo = std::min(lo, value[order[end]]);
      hi = std::max(hi, value[order[end]]);
    }
    std::size_t drawn = 0;
    for (; k < out.kept.size() && frame.column_of(time[out.kept[k]]) == column; ++k) ++drawn;
    if (end - start > drawn)
      out.spans.push_back(
          {frame.left + (column + 0.5) * frame.width / frame.columns, {frame.y_of(hi), frame.y_of(lo)}});
    start = end;
  }
  return out;
}

}  // namespace kesta::fit_detail
