#include "plot/totals.hpp"

#include <cmath>

namespace kesta::plot {

namespace {

// Four printed digits leave 5e-4 of each value; the factor read back from two
// of them carries 1e-3 more. Far below the series' largest magnitude, the
// fifth digit of that magnitude is enough.
constexpr double kRelativeTolerance = 2.5e-3;
constexpr double kOfLargest = 1e-5;

std::optional<double> quotient_at_largest(const std::vector<double>& per_length, const std::vector<double>& total) {
  std::size_t at = 0;
  for (std::size_t i = 1; i < per_length.size(); ++i)
    if (std::abs(per_length[i]) > std::abs(per_length[at])) at = i;
  if (per_length.empty() || per_length[at] == 0.0) return std::nullopt;
  const double factor = total[at] / per_length[at];
  if (!(factor > 0.0) || !std::isfinite(factor)) return std::nullopt;
  return factor;
}

double largest_magnitude(const std::vector<double>& v) {
  double m = 0.0;
  for (double x : v) m = std::max(m, std::abs(x));
  return m;
}

}  // namespace

std::optional<double> totals_factor_from(const PlotSeries& series) {
  if (auto f = quotient_at_largest(series[Column::SEEP], series[Column::SEEPT])) return f;
  return quotient_at_largest(series[Column::BANK], series[Column::BANKV]);
}

std::optional<std::size_t> first_row_off_factor(const PlotSeries& series, double factor) {
  const std::pair<Column, Column> pairs[] = {{Column::SEEP, Column::SEEPT}, {Column::BANK, Column::BANKV}};
  std::optional<std::size_t> first;
  for (const auto& [per_length, total] : pairs) {
    const std::vector<double>& p = series[per_length];
    const std::vector<double>& q = series[total];
    const double floor = kOfLargest * std::max(largest_magnitude(q), factor * largest_magnitude(p));
    for (std::size_t i = 0; i < p.size(); ++i) {
      const double expected = factor * p[i];
      const double allowed = kRelativeTolerance * std::max(std::abs(q[i]), std::abs(expected)) + floor;
      if (std::abs(q[i] - expected) > allowed) {
        if (!first || i < *first) first = i;
        break;
      }
    }
  }
  return first;
}

}  // namespace kesta::plot
