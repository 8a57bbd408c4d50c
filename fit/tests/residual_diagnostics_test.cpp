// Lag-1 autocorrelation, Durbin-Watson and the runs test on sequences whose
// figures follow by hand, and the AR(1) transform.
#include "fit/estimation/residual_diagnostics.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "fit/estimation/ar1_noise.hpp"

namespace kesta::fit_detail {
namespace {

TEST(ResidualDiagnostics, FiguresOfHandWorkedSequences) {
  const struct {
    const char* name;
    std::vector<double> e;
    double lag1, durbin_watson;
    int runs;
    double expected;
  } cases[] = {
      // Alternating signs: products -1 each, 5 of them over 6 squares; DW 4·5/6.
      {"alternating", {1, -1, 1, -1, 1, -1}, -5.0 / 6.0, 20.0 / 6.0, 6, 4.0},
      // Products 1 + 1 - 1 + 1 + 1 = 3 over 6 squares; one jump of 2: DW 4/6.
      {"two blocks", {1, 1, 1, -1, -1, -1}, 3.0 / 6.0, 4.0 / 6.0, 2, 4.0},
      // Zeros count in the sums but not in the runs: products 0, DW 8/8.
      {"with a zero", {2, 0, -2}, 0.0, 1.0, 2, 2.0},
      // The figures do not depend on the residuals' scale, however small.
      {"two blocks of millimetres", {1e-3, 1e-3, 1e-3, -1e-3, -1e-3, -1e-3}, 3.0 / 6.0, 4.0 / 6.0, 2, 4.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ResidualDiagnostics d = diagnose_residuals(c.e);
    EXPECT_NEAR(d.lag1, c.lag1, 1e-12);
    EXPECT_NEAR(d.durbin_watson, c.durbin_watson, 1e-12);
    EXPECT_EQ(d.runs, c.runs);
    EXPECT_NEAR(d.runs_expected, c.expected, 1e-12);
  }
}

// Independent noise: lag-1 near 0, DW near 2, runs as expected; AR(1) noise
// of phi 0.7: lag-1 near 0.7, DW near 0.6, far too few runs.
TEST(ResidualDiagnostics, SeparateIndependentFromAutocorrelatedNoise) {
  std::mt19937 random(7);
  std::normal_distribution<double> unit(0.0, 1.0);
  std::vector<double> white, red;
  double e = 0.0;
  for (int t = 0; t < 2000; ++t) {
    white.push_back(unit(random));
    e = 0.7 * e + unit(random);
    red.push_back(e);
  }
  const ResidualDiagnostics w = diagnose_residuals(white), r = diagnose_residuals(red);
  EXPECT_NEAR(w.lag1, 0.0, 0.07);  // 3 standard errors of 1/sqrt(2000)
  EXPECT_NEAR(w.durbin_watson, 2.0, 0.14);
  EXPECT_GT(w.runs_p, 0.001);
  EXPECT_NEAR(r.lag1, 0.7, 0.05);
  EXPECT_NEAR(r.durbin_watson, 0.6, 0.1);
  EXPECT_LT(r.runs_z, -10.0);
  EXPECT_LT(r.runs_p, 1e-6);
}

// The transform makes AR(1) errors independent with the innovations' spread,
// set by set, and leaves uncounted rows alone.
TEST(Ar1Noise, WhitenedErrorsAreTheInnovations) {
  const double phi = 0.6;
  std::vector<double> u = {0.3, -1.2, 0.5, 2.0}, e(6, 0.0);
  e[0] = u[0] / std::sqrt(1.0 - phi * phi);
  e[2] = phi * e[0] + u[1];  // row 1 is not counted: the set is rows 0, 2, 3
  e[3] = phi * e[2] + u[2];
  e[4] = 9.0;  // a set of its own with phi 0: unchanged
  e[5] = 0.25;
  whiten({{0, 2, 3}, {4}}, {phi, 0.0}, e.data(), 1);
  EXPECT_NEAR(e[0], u[0], 1e-15);
  EXPECT_EQ(e[1], 0.0);
  EXPECT_NEAR(e[2], u[1], 1e-15);
  EXPECT_NEAR(e[3], u[2], 1e-15);
  EXPECT_EQ(e[4], 9.0);
  EXPECT_EQ(e[5], 0.25);
}

TEST(Ar1Noise, PhiIsTheLagOneAutocorrelationCorrectedForShortRecords) {
  const std::vector<double> residual = {1, 1, 1, -1, -1, -1, 5};
  const std::vector<double> phi = estimate_phi({{0, 1, 2, 3, 4, 5}}, residual);
  // r = 3/6 over the six values of the set (the seventh is another's);
  // Kendall's (1 + 3r)/m adds 2.5/6.
  ASSERT_EQ(phi.size(), 1u);
  EXPECT_NEAR(phi[0], 0.5 + 2.5 / 6.0, 1e-12);
  // A straight trend of 20 (r = 0.85, corrected above 1) is held below a random walk.
  std::vector<std::size_t> index;
  std::vector<double> trend;
  for (std::size_t t = 0; t < 20; ++t) {
    index.push_back(t);
    trend.push_back(static_cast<double>(t));
  }
  EXPECT_EQ(estimate_phi({index}, trend)[0], kLargestPhi);
}

// Each residual over the RMS of the others, worked by hand.
TEST(ResidualDiagnostics, StandardizedResidualsLeaveTheirOwnOut) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* name;
    std::vector<double> e;
    std::vector<double> z;
  } cases[] = {
      // 12 against sqrt((9 + 16 + 0 + 0) / 4) = 2.5; 3 against sqrt(160 / 4).
      {"one large", {3, 4, 0, 0, 12}, {3.0 / std::sqrt(40.0), 4.0 / std::sqrt(153.0 / 4.0), 0, 0, 4.8}},
      // The others' squares summed apart: 1e20 + 4 - 1e20 would leave 0.
      {"an outlier beside unit residuals",
       {1, -1, 1e10, 1, -1},
       {1.0 / std::sqrt((1e20 + 3.0) / 4.0), -1.0 / std::sqrt((1e20 + 3.0) / 4.0), 1e10,
        1.0 / std::sqrt((1e20 + 3.0) / 4.0), -1.0 / std::sqrt((1e20 + 3.0) / 4.0)}},
      {"others all zero", {0, -2, 0, 0}, {0, -inf, 0, 0}},
      {"too few to tell", {1, 100}, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<double> z = standardized_residuals(c.e);
    ASSERT_EQ(z.size(), c.z.size());
    for (std::size_t i = 0; i < z.size(); ++i) EXPECT_DOUBLE_EQ(z[i], c.z[i]) << i;
  }
}

}  // namespace
}  // namespace kesta::fit_detail
