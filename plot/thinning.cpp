#include "plot/thinning.hpp"

#include <algorithm>

namespace kesta::plot {

std::vector<std::size_t> thin_to_columns(const std::vector<int>& column, const std::vector<double>& values) {
  std::vector<std::size_t> kept;
  std::size_t start = 0;
  while (start < column.size()) {
    std::size_t end = start + 1;
    std::size_t lowest = start;
    std::size_t highest = start;
    for (; end < column.size() && column[end] == column[start]; ++end) {
      if (values[end] < values[lowest]) lowest = end;
      if (values[end] > values[highest]) highest = end;
    }
    const std::size_t last = end - 1;
    // An extreme that equals the first or last value is drawn by that sample.
    for (std::size_t* extreme : {&lowest, &highest}) {
      if (values[*extreme] == values[start])
        *extreme = start;
      else if (values[*extreme] == values[last])
        *extreme = last;
    }
    std::size_t run[] = {start, lowest, highest, last};
    std::sort(std::begin(run), std::end(run));
    for (std::size_t i = 0; i < 4; ++i)
      if (i == 0 || run[i] != run[i - 1]) kept.push_back(run[i]);
    start = end;
  }
  return kept;
}

}  // namespace kesta::plot
