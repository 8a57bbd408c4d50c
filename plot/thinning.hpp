#pragma once
// Thinning a long series to the pixel columns it is drawn into.
#include <cstddef>
#include <vector>

namespace kesta::plot {

// Indices of the samples worth drawing. Consecutive samples that land in the
// same pixel column keep only their first, lowest, highest and last sample, in
// time order: the drawn line then covers the same pixels as the full series,
// peaks included. An extreme equal to the first or last value adds no sample. column[i] is the pixel column of sample i
// and values[i] its value; both have the same length.
std::vector<std::size_t> thin_to_columns(const std::vector<int>& column, const std::vector<double>& values);

}  // namespace kesta::plot
