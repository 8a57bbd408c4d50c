// A small fixed-seed run of the band coverage benchmark (bench/band_coverage
// makes the full table): the 95 % confidence band must hold the true curve,
// and the prediction band fresh observations, about as often as it says.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fit/tests/band_coverage.hpp"

namespace kesta::fit_detail {
namespace {

constexpr int kFits = 100;
constexpr double kTarget = 0.93;      // the lower end of the coverage aimed at
constexpr double kFalseAlarm = 1e-3;  // chance of failing a band that covers kTarget

// The smallest share k/n with P(X < k) <= alpha for X binomial (n, p): a
// pointwise coverage below it is unlikely for bands that cover p. The points
// of one curve are not independent, so n counts fits, not points: a fit's
// share of points held lies in [0, 1] with mean p, its variance at most
// p (1 - p), a single trial's, so the mean over n fits spreads no more than
// a binomial share of n trials.
double binomial_lower_limit(int n, double p, double alpha) {
  double below = 0.0;  // P(X < k)
  for (int k = 0; k <= n; ++k) {
    const double pk = std::exp(std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0) +
                               k * std::log(p) + (n - k) * std::log1p(-p));
    if (below + pk > alpha) return static_cast<double>(k) / n;
    below += pk;
  }
  return 1.0;
}

TEST(BandCoverage, BinomialLowerLimit) {
  // 24 trials of 0.93: P(X <= 17) = 0.00098 and P(X <= 18) = 0.0053, so 18/24.
  EXPECT_DOUBLE_EQ(binomial_lower_limit(24, 0.93, 1e-3), 18.0 / 24.0);
  EXPECT_DOUBLE_EQ(binomial_lower_limit(10, 0.5, 1e-3), 1.0 / 10.0);
}

TEST(BandCoverage, NinetyFivePercentBandsHoldTheTruthAtAR1NoiseOfHalf) {
  const testing::CoverageResult r = testing::band_coverage({0.5, kFits, 100, 0.95});
  ASSERT_LE(r.not_converged, 1);
  const double limit = binomial_lower_limit(kFits - r.not_converged, kTarget, kFalseAlarm);
  const struct {
    const char* name;
    const testing::CoverageCount& count;
  } series[] = {{"head", r.head}, {"seepage", r.seepage}};
  for (const auto& s : series) {
    SCOPED_TRACE(s.name);
    const double confidence = static_cast<double>(s.count.conf_held) / static_cast<double>(s.count.points);
    const double prediction = static_cast<double>(s.count.pred_held) / static_cast<double>(s.count.points);
    RecordProperty(std::string(s.name) + "_confidence", std::to_string(confidence));
    RecordProperty(std::string(s.name) + "_prediction", std::to_string(prediction));
    EXPECT_GE(confidence, limit);
    EXPECT_GE(prediction, limit);
    // Bands that held everything would be too wide to be of use.
    EXPECT_LT(prediction, 1.0);
  }
}

}  // namespace
}  // namespace kesta::fit_detail
