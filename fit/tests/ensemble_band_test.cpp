// The ensemble route's parts on known numbers: the draws from the fitted
// distribution, the percentile band, and the difference from a linear band.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/estimation/ensemble_band.hpp"
#include "fit/estimation/parameter_draws.hpp"

namespace kesta::fit_detail {
namespace {

Eigen::MatrixXd covariance3() {
  Eigen::MatrixXd c(3, 3);
  c << 0.04, 0.018, -0.002, 0.018, 0.09, 0.0, -0.002, 0.0, 0.01;
  return c;
}

// Held parameters keep their value exactly in every draw, whatever else moves;
// the others spread as Student's t with the covariance of those not held:
// variance nu / (nu - 2) times it, correlation as given.
TEST(ParameterDraws, HeldStayPutAndTheRestSpreadAsTheCovarianceSays) {
  const std::vector<double> center = {std::log(10.0), std::log(1e-4), 0.3};
  const int nu = 30;
  const int n = 20000;
  const struct {
    const char* name;
    std::vector<bool> held;
  } cases[] = {{"none held", {false, false, false}},
               {"first held", {true, false, false}},
               {"two held", {false, true, true}},
               {"all held", {true, true, true}}};
  const Eigen::MatrixXd c = covariance3();
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    const std::vector<ParameterDraw> draws = draw_parameters(center, c, k.held, nu, n, 5);
    ASSERT_EQ(draws.size(), static_cast<std::size_t>(n));
    Eigen::Vector3d mean = Eigen::Vector3d::Zero();
    Eigen::Matrix3d second = Eigen::Matrix3d::Zero();
    for (const ParameterDraw& d : draws) {
      const Eigen::Vector3d x(d.internal[0] - center[0], d.internal[1] - center[1], d.internal[2] - center[2]);
      for (std::size_t i = 0; i < 3; ++i) {
        if (k.held[i]) {
          ASSERT_EQ(d.internal[i], center[i]);
        }
      }
      mean += x;
      second += x * x.transpose();
    }
    mean /= n;
    second /= n;
    const double inflation = nu / (nu - 2.0);
    for (int i = 0; i < 3; ++i) {
      if (k.held[static_cast<std::size_t>(i)]) continue;
      const double sd = std::sqrt(c(i, i) * inflation);
      // Five standard errors of a mean and of a variance from n draws (the
      // t's heavier tails roughly double the variance's spread).
      EXPECT_NEAR(mean(i), 0.0, 5.0 * sd / std::sqrt(n)) << i;
      EXPECT_NEAR(second(i, i) / (sd * sd), 1.0, 5.0 * std::sqrt(4.0 / n)) << i;
      for (int j = 0; j < i; ++j) {
        if (k.held[static_cast<std::size_t>(j)]) continue;
        const double r = second(i, j) / std::sqrt(second(i, i) * second(j, j));
        EXPECT_NEAR(r, c(i, j) / std::sqrt(c(i, i) * c(j, j)), 5.0 / std::sqrt(n)) << i << "," << j;
      }
    }
  }
}

TEST(ParameterDraws, TheSeedGivesTheSameSetsAndAnotherSeedOthers) {
  const std::vector<double> center = {1.0, 2.0, 3.0};
  const std::vector<bool> held = {false, false, false};
  const auto a = draw_parameters(center, covariance3(), held, 12, 50, 7);
  const auto b = draw_parameters(center, covariance3(), held, 12, 50, 7);
  const auto c = draw_parameters(center, covariance3(), held, 12, 50, 8);
  for (std::size_t k = 0; k < a.size(); ++k) {
    EXPECT_EQ(a[k].internal, b[k].internal);
    EXPECT_EQ(a[k].t_factor, b[k].t_factor);
  }
  EXPECT_NE(a[0].internal, c[0].internal);
}

// A semi-definite covariance (the pseudo-inverse over what the data do not
// determine) draws nothing along its null direction: here x0 + x1 is fixed.
TEST(ParameterDraws, NothingAlongANullDirection) {
  Eigen::MatrixXd c(2, 2);
  c << 1.0, -1.0, -1.0, 1.0;
  for (const ParameterDraw& d : draw_parameters({0.5, 0.5}, c, {false, false}, 10, 200, 3))
    EXPECT_NEAR(d.internal[0] + d.internal[1], 1.0, 1e-12);
}

TEST(Deviates, ChiSquareHasItsMeanAndVariance) {
  for (const double nu : {0.6, 1.0, 3.0, 40.0, 2500.0}) {
    SCOPED_TRACE(nu);
    Deviates random(11);
    const int n = 40000;
    double sum = 0.0, squares = 0.0;
    for (int k = 0; k < n; ++k) {
      const double x = random.chi_square(nu);
      ASSERT_GT(x, 0.0);
      sum += x;
      squares += x * x;
    }
    const double mean = sum / n, variance = squares / n - mean * mean;
    EXPECT_NEAR(mean, nu, 5.0 * std::sqrt(2.0 * nu / n));
    EXPECT_NEAR(variance / (2.0 * nu), 1.0, 0.1);
  }
}

TEST(PercentileBand, QuantilesBetweenOrderStatistics) {
  // Members 0, 1, ..., 100 at every step in a shuffled order: the 5 % and 95 %
  // quantiles are 5 and 95, the 90 % band's; 0.25 and 99.75 for 99.5 %.
  std::vector<std::vector<double>> members;
  for (int j = 0; j <= 100; ++j) members.push_back({static_cast<double>((j * 37) % 101), 2.0 * ((j * 37) % 101)});
  const struct { double level, lower, upper; } cases[] = {{0.9, 5.0, 95.0}, {0.995, 0.25, 99.75}, {0.5, 25.0, 75.0}};
  for (const auto& c : cases) {
    const BandEnds b = percentile_band(members, c.level);
    ASSERT_EQ(b.lower.size(), 2u);
    EXPECT_NEAR(b.lower[0], c.lower, 1e-12);
    EXPECT_NEAR(b.upper[0], c.upper, 1e-12);
    EXPECT_NEAR(b.lower[1], 2.0 * c.lower, 1e-12);
    EXPECT_NEAR(b.upper[1], 2.0 * c.upper, 1e-12);
  }
}

TEST(BandDifference, LargestEdgeDifferenceOverTheLinearHalfWidth) {
  // Linear band ±1 around 0 at steps 1 to 3, nothing at step 0.
  const BandEnds linear{{0.0, -1.0, -1.0, -1.0}, {0.0, 1.0, 1.0, 1.0}};
  const struct {
    const char* name;
    BandEnds ensemble;
    double relative;
    std::size_t step;
    bool upper;
  } cases[] = {
      {"the same", linear, 0.0, 0, false},
      {"upper edge out by 0.3", {{0.0, -1.0, -1.0, -1.0}, {0.0, 1.0, 1.3, 1.0}}, 0.3, 2, true},
      {"lower edge in by 0.5", {{0.0, -1.0, -1.0, -0.5}, {0.0, 1.1, 1.0, 1.0}}, 0.5, 3, false},
      // At a step of no linear width the difference counts against 5 % of the widest.
      {"a width where there is none", {{-0.01, -1.0, -1.0, -1.0}, {0.0, 1.0, 1.0, 1.0}}, 0.2, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const BandDifference d = band_difference(linear, c.ensemble);
    EXPECT_TRUE(d.compared);
    EXPECT_NEAR(d.relative, c.relative, 1e-12);
    if (c.relative > 0.0) {
      EXPECT_EQ(d.step, c.step);
      EXPECT_EQ(d.upper, c.upper);
    }
  }
  EXPECT_FALSE(band_difference({{0.0, 0.0}, {0.0, 0.0}}, {{-1.0, -1.0}, {1.0, 1.0}}).compared);
}

// The chance error of a 95 % edge from 400 normal members is about 6.8 % of
// the half-width (sqrt(0.025 * 0.975 / 400) / (phi(1.96) * 1.96)); three of
// them stay below the 25 % that counts, and from 50 members they do not.
TEST(BandTolerance, MaterialUnlessTheEnsembleIsTooSmall) {
  EXPECT_NEAR(edge_chance_error(400, 0.95), 0.0682, 0.0005);
  EXPECT_NEAR(edge_chance_error(1600, 0.95), 0.0341, 0.0003);
  EXPECT_DOUBLE_EQ(band_tolerance(400, 0.95), kBandTolerance);
  EXPECT_NEAR(band_tolerance(50, 0.95), 3.0 * edge_chance_error(50, 0.95), 1e-15);
  EXPECT_GT(band_tolerance(50, 0.95), kBandTolerance);
}

}  // namespace
}  // namespace kesta::fit_detail
