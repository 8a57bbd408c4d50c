#include "fit/estimation/multistart.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>
#include <stdexcept>

namespace kesta::fit_detail {

namespace {

bool same_minimum(const std::vector<double>& a, const std::vector<double>& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::abs(a[i] - b[i]) > kSameMinimum * std::max(1.0, std::abs(a[i]))) return false;
  return true;
}

}  // namespace

std::vector<std::vector<double>> latin_hypercube_starts(const std::vector<FreeParameter>& parameters, int count,
                                                        unsigned seed) {
  std::vector<std::vector<double>> starts;
  std::vector<double> initial;
  initial.reserve(parameters.size());
  for (const FreeParameter& p : parameters) initial.push_back(p.initial);
  starts.push_back(initial);
  const auto strata = static_cast<std::size_t>(std::max(count - 1, 0));
  if (strata == 0) return starts;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> within(0.0, 1.0);
  std::vector<std::vector<double>> columns;
  for (const FreeParameter& p : parameters) {
    std::vector<std::size_t> order(strata);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::shuffle(order.begin(), order.end(), random);
    const double low = to_internal(p.scale, p.min), high = to_internal(p.scale, p.max);
    std::vector<double> column;
    for (const std::size_t k : order) {
      const double u = (static_cast<double>(k) + within(random)) / static_cast<double>(strata);
      column.push_back(to_natural(p.scale, low + u * (high - low)));
    }
    columns.push_back(std::move(column));
  }
  for (std::size_t k = 0; k < strata; ++k) {
    std::vector<double> start;
    start.reserve(columns.size());
    for (const std::vector<double>& column : columns) start.push_back(column[k]);
    starts.push_back(std::move(start));
  }
  return starts;
}

std::vector<Minimum> find_minima(const std::vector<FreeParameter>& parameters,
                                 const std::vector<std::vector<double>>& starts, const Observed& observed,
                                 const BatchModel& model, int max_iterations, const RunParallel& parallel) {
  std::vector<std::optional<LeastSquaresFit>> ends(starts.size());
  parallel(starts.size(), [&](std::size_t s) {
    std::vector<FreeParameter> from = parameters;
    for (std::size_t i = 0; i < from.size(); ++i) from[i].initial = starts[s][i];
    try {
      ends[s] = fit_least_squares(from, observed, model, {max_iterations, nullptr, false});
    } catch (const std::runtime_error&) {
      // A start where the model cannot be computed finds no minimum.
    }
  });
  std::vector<Minimum> minima;
  for (const std::optional<LeastSquaresFit>& end : ends) {
    if (!end) continue;
    auto found = std::find_if(minima.begin(), minima.end(),
                              [&](const Minimum& m) { return same_minimum(m.internal, end->internal); });
    if (found == minima.end()) {
      minima.push_back({end->estimate, end->internal, end->ssr, 1, end->converged});
      continue;
    }
    ++found->starts;
    found->converged = found->converged && end->converged;
    if (end->ssr < found->ssr) {
      found->estimate = end->estimate;
      found->internal = end->internal;
      found->ssr = end->ssr;
    }
  }
  std::stable_sort(minima.begin(), minima.end(), [](const Minimum& a, const Minimum& b) { return a.ssr < b.ssr; });
  return minima;
}

}  // namespace kesta::fit_detail
