#include "fit/estimation/ar1_noise.hpp"

#include <algorithm>
#include <cmath>

#include "fit/estimation/residual_diagnostics.hpp"

namespace kesta::fit_detail {

void whiten(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& phi, double* rows,
            std::size_t columns) {
  for (std::size_t s = 0; s < sets.size(); ++s) {
    const std::vector<std::size_t>& index = sets[s];
    if (index.empty()) continue;
    const double f = phi[s];
    // From the last row back, so that each row still sees its untransformed neighbour.
    for (std::size_t t = index.size() - 1; t > 0; --t) {
      double* row = rows + index[t] * columns;
      const double* before = rows + index[t - 1] * columns;
      for (std::size_t c = 0; c < columns; ++c) row[c] -= f * before[c];
    }
    const double first = std::sqrt(1.0 - f * f);
    for (std::size_t c = 0; c < columns; ++c) rows[index[0] * columns + c] *= first;
  }
}

std::vector<double> estimate_phi(const std::vector<std::vector<std::size_t>>& sets,
                                 const std::vector<double>& residual) {
  std::vector<double> phi;
  for (const std::vector<std::size_t>& index : sets) {
    std::vector<double> e;
    e.reserve(index.size());
    for (const std::size_t k : index) e.push_back(residual[k]);
    // The lag-1 autocorrelation of m values about their mean falls short of
    // phi by about (1 + 3 phi) / m (Kendall): short records would otherwise
    // get intervals too narrow.
    const double r = lag1_autocorrelation(e);
    const double m = static_cast<double>(e.size());
    const double corrected = m > 3.0 ? r + (1.0 + 3.0 * r) / m : r;
    phi.push_back(std::clamp(corrected, -kLargestPhi, kLargestPhi));
  }
  return phi;
}

}  // namespace kesta::fit_detail
