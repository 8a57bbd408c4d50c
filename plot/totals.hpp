#pragma once
// The totals of the plot file, total seepage and bank-storage volume, are the
// per-length values times one factor: both banks over the reach, 2·XSTREAM.
#include <cstddef>
#include <optional>

#include "plot/plot_file.hpp"

namespace kesta::plot {

// 2·XSTREAM read back from the plot file: SEEPT / SEEP on the row of largest
// |SEEP| (else BANKV / BANK on the row of largest |BANK|), good to about 1e-3
// as both are printed to four digits. Empty when both series are zero
// throughout, or the quotient is not a positive number.
std::optional<double> totals_factor_from(const PlotSeries& series);

// The first drawn row (from 0) where a total differs from factor times its
// per-length value by more than their printed digits and the factor's
// reading allow; empty when every row agrees.
std::optional<std::size_t> first_row_off_factor(const PlotSeries& series, double factor);

}  // namespace kesta::plot
