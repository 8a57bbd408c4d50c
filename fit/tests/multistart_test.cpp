// Starts spread over the bounds, and the distinct minima they find.
#include "fit/estimation/multistart.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fit/tests/synthetic_models.hpp"

namespace kesta::fit_detail {
namespace {

using testing::batch_of;
using testing::even_times;

void one_by_one(std::size_t count, const std::function<void(std::size_t)>& run) {
  for (std::size_t i = 0; i < count; ++i) run(i);
}

Observed exact(const testing::PointModel& f, const std::vector<double>& truth, const std::vector<double>& times) {
  Observed o;
  for (const double t : times) {
    o.value.push_back(f(t, truth));
    o.weight.push_back(1.0);
  }
  return o;
}

TEST(Multistart, LatinHypercubeHasOneStartPerStratumAndTheInitialFirst) {
  const std::vector<FreeParameter> parameters = {{"A", Scale::Log, 2.0, 0.01, 100.0},
                                                 {"B", Scale::Linear, 0.5, -1.0, 3.0}};
  const int count = 9;
  const auto starts = latin_hypercube_starts(parameters, count, kStartsSeed);
  ASSERT_EQ(starts.size(), 9u);
  EXPECT_EQ(starts[0], (std::vector<double>{2.0, 0.5}));
  EXPECT_EQ(latin_hypercube_starts(parameters, count, kStartsSeed), starts);  // the same on every run
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const double low = to_internal(parameters[i].scale, parameters[i].min);
    const double high = to_internal(parameters[i].scale, parameters[i].max);
    std::vector<int> hits(count - 1, 0);
    for (std::size_t s = 1; s < starts.size(); ++s) {
      const double u = (to_internal(parameters[i].scale, starts[s][i]) - low) / (high - low);
      ASSERT_GE(u, 0.0);
      ASSERT_LT(u, 1.0);
      ++hits[static_cast<std::size_t>(u * (count - 1))];
    }
    EXPECT_TRUE(std::all_of(hits.begin(), hits.end(), [](int h) { return h == 1; })) << parameters[i].name;
  }
}

// A recession has one minimum: every start ends there.
TEST(Multistart, StartsOfOneMinimumAreOneMinimum) {
  const std::vector<double> times = even_times(40, 20.0);
  const std::vector<double> truth = {2.0, 5.0, 0.3};
  const std::vector<FreeParameter> parameters = {
      {"A", Scale::Log, 1.0, 0.1, 20.0}, {"TAU", Scale::Log, 1.0, 0.5, 50.0}, {"BASE", Scale::Linear, 0.0, -2.0, 2.0}};
  const auto starts = latin_hypercube_starts(parameters, 6, kStartsSeed);
  const std::vector<Minimum> minima = find_minima(parameters, starts, exact(testing::recession, truth, times),
                                                  batch_of(testing::recession, times), 200, one_by_one);
  ASSERT_EQ(minima.size(), 1u);
  EXPECT_EQ(minima[0].starts, 6);
  for (std::size_t i = 0; i < truth.size(); ++i) EXPECT_NEAR(minima[0].estimate[i], truth[i], 1e-6);
}

// p enters as p² plus a small odd term: an exact minimum at the truth, 1.5,
// and a worse one near -1.5 that a start on that side finds.
double folded(double t, const std::vector<double>& p) { return p[0] * p[0] * t + 0.05 * p[0] * t * t; }

TEST(Multistart, TwoMinimaAreBothReportedBestFirst) {
  const std::vector<double> times = even_times(20, 2.0);
  const std::vector<FreeParameter> parameters = {{"P", Scale::Linear, -2.5, -3.0, 3.0}};
  const auto starts = latin_hypercube_starts(parameters, 8, kStartsSeed);
  const std::vector<Minimum> minima =
      find_minima(parameters, starts, exact(folded, {1.5}, times), batch_of(folded, times), 200, one_by_one);
  ASSERT_EQ(minima.size(), 2u);
  EXPECT_NEAR(minima[0].estimate[0], 1.5, 1e-6);
  EXPECT_LT(minima[1].estimate[0], -1.0);
  EXPECT_GT(minima[1].ssr, minima[0].ssr);
  EXPECT_EQ(minima[0].starts + minima[1].starts, 8);
}

}  // namespace
}  // namespace kesta::fit_detail
