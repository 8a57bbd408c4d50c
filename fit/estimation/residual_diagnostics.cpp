#include "fit/estimation/residual_diagnostics.hpp"

#include <cmath>
#include <limits>

namespace kesta::fit_detail {

double lag1_autocorrelation(std::span<const double> e) {
  const std::size_t n = e.size();
  if (n < 3) return 0.0;
  double mean = 0.0;
  for (const double v : e) mean += v;
  mean /= static_cast<double>(n);
  double products = 0.0, squares = 0.0;
  for (std::size_t t = 0; t < n; ++t) {
    squares += (e[t] - mean) * (e[t] - mean);
    if (t > 0) products += (e[t] - mean) * (e[t - 1] - mean);
  }
  return squares > 0.0 ? products / squares : 0.0;
}

ResidualDiagnostics diagnose_residuals(std::span<const double> e) {
  ResidualDiagnostics d;
  d.lag1 = lag1_autocorrelation(e);
  double differences = 0.0, squares = 0.0;
  for (std::size_t t = 0; t < e.size(); ++t) {
    squares += e[t] * e[t];
    if (t > 0) differences += (e[t] - e[t - 1]) * (e[t] - e[t - 1]);
  }
  if (squares > 0.0) d.durbin_watson = differences / squares;

  double positive = 0.0, negative = 0.0;
  int last_sign = 0;
  for (const double v : e) {
    const int sign = v > 0.0 ? 1 : (v < 0.0 ? -1 : 0);
    if (sign == 0) continue;
    (sign > 0 ? positive : negative) += 1.0;
    if (sign != last_sign) ++d.runs;
    last_sign = sign;
  }
  const double n = positive + negative;
  if (positive == 0.0 || negative == 0.0) {
    d.runs_expected = d.runs;
    return d;
  }
  d.runs_expected = 2.0 * positive * negative / n + 1.0;
  const double variance = 2.0 * positive * negative * (2.0 * positive * negative - n) / (n * n * (n - 1.0));
  if (variance > 0.0) {
    d.runs_z = (d.runs - d.runs_expected) / std::sqrt(variance);
    d.runs_p = std::erfc(std::abs(d.runs_z) / std::sqrt(2.0));
  }
  return d;
}

std::vector<double> standardized_residuals(std::span<const double> e) {
  const std::size_t m = e.size();
  std::vector<double> z(m, 0.0);
  if (m < 3) return z;
  // The squares before and after each residual, summed apart: the sum of all
  // less its own square would lose the others entirely beside an outlier.
  std::vector<double> after(m + 1, 0.0);
  for (std::size_t t = m; t-- > 0;) after[t] = after[t + 1] + e[t] * e[t];
  double before = 0.0;
  const double infinity = std::numeric_limits<double>::infinity();
  for (std::size_t t = 0; t < m; ++t) {
    const double others = std::sqrt((before + after[t + 1]) / static_cast<double>(m - 1));
    if (others > 0.0)
      z[t] = e[t] / others;
    else if (e[t] != 0.0)
      z[t] = e[t] > 0.0 ? infinity : -infinity;
    before += e[t] * e[t];
  }
  return z;
}

}  // namespace kesta::fit_detail
