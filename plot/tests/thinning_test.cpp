#include "plot/thinning.hpp"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

std::vector<std::size_t> all_indices(std::size_t n) {
  std::vector<std::size_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = i;
  return v;
}

TEST(Thinning, KeepsEverySampleWhenEachHasItsOwnColumn) {
  const std::vector<int> column = {0, 1, 2, 5, 9};
  const std::vector<double> values = {3, -1, 4, 1, 5};
  EXPECT_EQ(thin_to_columns(column, values), all_indices(5));
}

TEST(Thinning, KeepsFirstLowestHighestLastOfEachColumnInTimeOrder) {
  // Column 0: rises to a peak, falls to a trough, recovers; column 1: one sample.
  const std::vector<int> column = {0, 0, 0, 0, 0, 0, 1};
  const std::vector<double> values = {1.0, 2.0, 9.0, 0.5, -3.0, 1.5, 7.0};
  EXPECT_EQ(thin_to_columns(column, values), (std::vector<std::size_t>{0, 2, 4, 5, 6}));
}

TEST(Thinning, MonotoneRunKeepsOnlyItsEnds) {
  // Steps of a printed series repeat values; ties with the ends add nothing.
  const std::vector<int> column = {0, 0, 0, 0, 0, 1, 1, 1};
  const std::vector<double> values = {1, 1, 2, 3, 3, 5, 4, 4};
  EXPECT_EQ(thin_to_columns(column, values), (std::vector<std::size_t>{0, 4, 5, 7}));
}

TEST(Thinning, LongSeriesKeepsItsPeaksAndTroughs) {
  // 99999 samples over 760 columns, a slow wave with a one-sample spike and dip.
  constexpr int kSamples = 99999;
  constexpr int kColumns = 760;
  std::vector<int> column(kSamples);
  std::vector<double> values(kSamples);
  for (int i = 0; i < kSamples; ++i) {
    column[i] = std::min(kColumns - 1, i * kColumns / (kSamples - 1));
    values[i] = std::sin(i * 1e-4);
  }
  values[31337] = 50.0;
  values[77777] = -50.0;
  const std::vector<std::size_t> kept = thin_to_columns(column, values);
  EXPECT_LE(kept.size(), 4u * kColumns);
  EXPECT_GE(kept.size(), 2u * kColumns);
  EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
  EXPECT_EQ(kept.front(), 0u);
  EXPECT_EQ(kept.back(), static_cast<std::size_t>(kSamples - 1));
  EXPECT_TRUE(std::binary_search(kept.begin(), kept.end(), 31337u));
  EXPECT_TRUE(std::binary_search(kept.begin(), kept.end(), 77777u));
}

}  // namespace
}  // namespace kesta::plot
