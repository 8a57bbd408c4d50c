#pragma once
// An AR(1) noise model per observation set: neighbouring errors e_t =
// phi e_(t-1) + u_t with independent u_t. The Prais-Winsten transform turns
// such residuals (and the rows of their Jacobian) into independent ones, so
// that least squares on the transformed rows is generalized least squares.
#include <cstddef>
#include <vector>

namespace kesta::fit_detail {

// |phi| is held below this: at 1 the transform would drop the first row's
// weight entirely and the noise would be a random walk.
inline constexpr double kLargestPhi = 0.95;

// rows: row-major, `columns` values per observation (1 for residuals).
// sets: the indices of each set's counted observations in time order; phi:
// one per set. Rows of other observations stay as they are.
void whiten(const std::vector<std::vector<std::size_t>>& sets, const std::vector<double>& phi, double* rows,
            std::size_t columns);

}  // namespace kesta::fit_detail
