// Lag-1 autocorrelation, Durbin-Watson and the runs test on sequences whose
// figures follow by hand, and the AR(1) transform.
#include "fit/estimation/residual_diagnostics.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "fit/estimation/ar1_noise.hpp"
#include "fit/estimation/ar1_phi.hpp"

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

// AR(1) noise of unit innovations, its first value from the stationary spread.
std::vector<double> ar1_series(std::size_t m, double phi, std::mt19937& random) {
  std::normal_distribution<double> unit(0.0, 1.0);
  std::vector<double> e(m);
  e[0] = unit(random) / std::sqrt(1.0 - phi * phi);
  for (std::size_t t = 1; t < m; ++t) e[t] = phi * e[t - 1] + unit(random);
  return e;
}

// The closed form against the traces of dense matrices: tr(C D C R) and
// tr(C R) for R = phi^|i-j| (scaled to unit innovations), C the centring
// and D half the lag-1 shifts.
TEST(Ar1Noise, ExpectedAutocorrelationIsTheRatioOfDenseTraces) {
  const struct {
    double phi, m, taken_lag, taken_square;
  } cases[] = {{0.0, 5, 0, 0},  {0.5, 7, 0, 0},      {-0.6, 12, 0, 0},
               {0.8, 60, 0, 0}, {0.8, 60, 1.5, 4.0}, {0.3, 9, -0.2, 0.7}};
  for (const auto& c : cases) {
    const auto m = static_cast<std::size_t>(c.m);
    const double variance = 1.0 / (1.0 - c.phi * c.phi);
    std::vector<std::vector<double>> centred_r(m, std::vector<double>(m, 0.0));  // C R C
    std::vector<double> row_mean(m, 0.0), column_mean(m, 0.0);
    double grand = 0.0;
    for (std::size_t i = 0; i < m; ++i)
      for (std::size_t j = 0; j < m; ++j) {
        const double r = variance * std::pow(c.phi, std::abs(static_cast<double>(i) - static_cast<double>(j)));
        row_mean[i] += r / c.m;
        column_mean[j] += r / c.m;
        grand += r / (c.m * c.m);
      }
    double lag = 0.0, square = 0.0;
    for (std::size_t i = 0; i < m; ++i)
      for (std::size_t j = 0; j < m; ++j)
        centred_r[i][j] = variance * std::pow(c.phi, std::abs(static_cast<double>(i) - static_cast<double>(j))) -
                          row_mean[i] - column_mean[j] + grand;
    for (std::size_t i = 0; i < m; ++i) {
      square += centred_r[i][i];
      if (i + 1 < m) lag += centred_r[i][i + 1];
    }
    const double dense = (lag - c.taken_lag) / (square - c.taken_square);
    EXPECT_NEAR(expected_lag1(c.phi, c.m, c.taken_lag, c.taken_square) + c.phi / c.m, dense, 1e-12)
        << "phi " << c.phi << ", m " << c.m;
  }
  // Independent noise about its mean: -1/m exactly.
  EXPECT_NEAR(expected_lag1(0.0, 10.0, 0.0, 0.0), -0.1, 1e-15);
}

// Residuals of a generalized least-squares fit of a rise and a trend to AR(1)
// noise, 60 to a set as in the coverage study: the estimate over many records
// comes out at phi on average, where the lag-1 autocorrelation with the
// mean's correction alone still falls short. What is left at strong
// correlation is of second order in 1/m (about 0.017 at phi = 0.8).
TEST(Ar1Noise, PhiFromAFitsResidualsIsUnbiased) {
  constexpr std::size_t kM = 60;
  constexpr int kRecords = 800;
  std::vector<double> jacobian;  // two columns, row-major
  for (std::size_t t = 0; t < kM; ++t) {
    jacobian.push_back(1.0 - std::exp(-static_cast<double>(t) / 8.0));
    jacobian.push_back(static_cast<double>(t) / kM);
  }
  std::vector<std::size_t> index(kM);
  for (std::size_t t = 0; t < kM; ++t) index[t] = t;
  const struct {
    double phi, tolerance, least_bias_of_mean_alone;
  } cases[] = {{0.0, 0.006, 0.015}, {0.5, 0.015, 0.03}, {0.8, 0.022, 0.045}};
  for (const auto& c : cases) {
    std::mt19937 random(7);
    double corrected = 0.0, mean_alone = 0.0;
    for (int k = 0; k < kRecords; ++k) {
      const std::vector<double> e = ar1_series(kM, c.phi, random);
      // The fit at the noise's own phi: least squares on the whitened rows.
      std::vector<double> wj = jacobian, we = e;
      whiten({index}, {c.phi}, wj.data(), 2);
      whiten({index}, {c.phi}, we.data(), 1);
      double a = 0, b = 0, d = 0, u = 0, v = 0;
      for (std::size_t t = 0; t < kM; ++t) {
        a += wj[2 * t] * wj[2 * t];
        b += wj[2 * t] * wj[2 * t + 1];
        d += wj[2 * t + 1] * wj[2 * t + 1];
        u += wj[2 * t] * we[t];
        v += wj[2 * t + 1] * we[t];
      }
      const double beta0 = (d * u - b * v) / (a * d - b * b), beta1 = (a * v - b * u) / (a * d - b * b);
      std::vector<double> residual(kM);
      for (std::size_t t = 0; t < kM; ++t) residual[t] = e[t] - jacobian[2 * t] * beta0 - jacobian[2 * t + 1] * beta1;
      corrected += estimate_phi({index}, residual, {jacobian, 2})[0] / kRecords;
      mean_alone += estimate_phi({index}, residual, {jacobian, 0})[0] / kRecords;
    }
    EXPECT_NEAR(corrected, c.phi, c.tolerance) << "phi " << c.phi;
    EXPECT_LT(mean_alone, c.phi - c.least_bias_of_mean_alone) << "phi " << c.phi;
  }
}

TEST(Ar1Noise, PhiIsHeldBelowARandomWalkAndShortSetsTakeTheMeansCorrection) {
  // A straight trend of 20 (r = 0.85, corrected above 1) is held below a random walk.
  std::vector<std::size_t> index;
  std::vector<double> trend;
  for (std::size_t t = 0; t < 20; ++t) {
    index.push_back(t);
    trend.push_back(static_cast<double>(t));
  }
  EXPECT_EQ(estimate_phi({index}, trend, {{}, 0})[0], kLargestPhi);
  // Six values of a set beside three parameters (the seventh is another's):
  // r = 3/6, and Kendall's (1 + 3r)/m adds 2.5/6.
  const std::vector<double> residual = {1, 1, 1, -1, -1, -1, 5};
  const std::vector<double> rows(21, 1.0);
  const std::vector<double> phi = estimate_phi({{0, 1, 2, 3, 4, 5}, {6}}, residual, {rows, 3});
  ASSERT_EQ(phi.size(), 2u);
  EXPECT_NEAR(phi[0], 0.5 + 2.5 / 6.0, 1e-12);
  EXPECT_EQ(phi[1], 0.0);
}

// m (1 - phi) / (1 + phi) per set, never more than m, summed and floored,
// less what was estimated, and at least 1.
TEST(Ar1Noise, EffectiveDegreesOfFreedomCountIndependentObservations) {
  const std::vector<std::size_t> sixty(60), twenty(20);
  const struct {
    std::vector<std::vector<std::size_t>> sets;
    std::vector<double> phi;
    int estimated, expected;
  } cases[] = {{{sixty}, {0.0}, 3, 57},
               {{sixty}, {0.8}, 3, 3},
               {{sixty}, {-0.5}, 3, 57},
               {{sixty, twenty}, {0.5, 0.0}, 4, 36},
               {{sixty, sixty}, {0.8, 0.8}, 4, 9},
               {{twenty}, {0.95}, 2, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(effective_degrees_of_freedom(c.sets, c.phi, c.estimated), c.expected)
        << c.sets.size() << " sets, phi " << c.phi[0];
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
