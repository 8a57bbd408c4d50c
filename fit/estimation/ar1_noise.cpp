#include "fit/estimation/ar1_noise.hpp"

#include <cmath>

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

}  // namespace kesta::fit_detail
