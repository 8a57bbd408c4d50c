#include "fit/estimation/ensemble_band.hpp"

#include <algorithm>
#include <cmath>

namespace kesta::fit_detail {

namespace {

// Quantile p of sorted values, interpolated between order statistics
// (position p (n - 1)).
double sorted_quantile(const std::vector<double>& sorted, double p) {
  const double position = p * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(position);
  if (below + 1 >= sorted.size()) return sorted.back();
  const double fraction = position - static_cast<double>(below);
  return sorted[below] + fraction * (sorted[below + 1] - sorted[below]);
}

// The standard normal's quantile, by bisection on its tail.
double normal_quantile(double q) {
  double low = -40.0, high = 40.0;
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (low + high);
    (0.5 * std::erfc(-mid / std::sqrt(2.0)) < q ? low : high) = mid;
  }
  return 0.5 * (low + high);
}

}  // namespace

BandEnds percentile_band(const std::vector<std::vector<double>>& members, double level) {
  BandEnds out;
  if (members.empty()) return out;
  const std::size_t steps = members[0].size();
  std::vector<double> column(members.size());
  for (std::size_t k = 0; k < steps; ++k) {
    for (std::size_t j = 0; j < members.size(); ++j) column[j] = members[j][k];
    std::sort(column.begin(), column.end());
    out.lower.push_back(sorted_quantile(column, 0.5 * (1.0 - level)));
    out.upper.push_back(sorted_quantile(column, 0.5 * (1.0 + level)));
  }
  return out;
}

double edge_chance_error(int members, double level) {
  const double q = 0.5 * (1.0 + level);
  const double z = normal_quantile(q);
  const double density = std::exp(-0.5 * z * z) / std::sqrt(2.0 * M_PI);
  return std::sqrt(q * (1.0 - q) / static_cast<double>(std::max(members, 1))) / (density * z);
}

double band_tolerance(int members, double level) {
  return std::max(kBandTolerance, 3.0 * edge_chance_error(members, level));
}

BandDifference band_difference(const BandEnds& linear, const BandEnds& ensemble) {
  BandDifference out;
  const std::size_t steps = std::min(linear.lower.size(), ensemble.lower.size());
  double widest = 0.0;
  for (std::size_t k = 0; k < steps; ++k) widest = std::max(widest, 0.5 * (linear.upper[k] - linear.lower[k]));
  if (!(widest > 0.0)) return out;
  out.compared = true;
  for (std::size_t k = 0; k < steps; ++k) {
    const double half = std::max(0.5 * (linear.upper[k] - linear.lower[k]), kBandWidthFloor * widest);
    const double low = std::abs(ensemble.lower[k] - linear.lower[k]) / half;
    const double high = std::abs(ensemble.upper[k] - linear.upper[k]) / half;
    if (std::max(low, high) > out.relative) {
      out.relative = std::max(low, high);
      out.step = k;
      out.upper = high >= low;
    }
  }
  return out;
}

}  // namespace kesta::fit_detail
