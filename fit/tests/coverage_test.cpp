// Coverage of the 95 % intervals under autocorrelated noise: heads made from
// a known deck with AR(1) noise, fitted again and again with fresh noise.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "fit/estimation/estimates.hpp"
#include "fit/tests/fit_scenario.hpp"

namespace kesta::fit_detail {
namespace {

constexpr double kPhi = 0.7;
constexpr double kSigma = 0.01;  // marginal standard deviation of the noise (m)
constexpr int kFits = 40;

// Heads at one well every output step with AR(1) noise of marginal spread
// kSigma, weights 1/kSigma.
std::vector<ObservationSet> correlated_heads(const Deck& truth, unsigned seed) {
  std::vector<ObservationSet> sets = testing::records(truth, {{Kind::Head, 50.0, 1, 0.0}}, seed);
  std::mt19937 random(seed);
  std::normal_distribution<double> unit(0.0, 1.0);
  double e = kSigma * unit(random);
  for (CsvObservation& row : sets[0].rows) {
    row.value += e;
    row.weight = 1.0 / kSigma;
    e = kPhi * e + std::sqrt(1.0 - kPhi * kPhi) * kSigma * unit(random);
  }
  return sets;
}

struct Coverage {
  int corrected = 0, plain = 0, intervals = 0;
};

Coverage coverage(bool ar1) {
  Deck truth = testing::flood_deck();
  truth.IXA = 0;
  Coverage c;
  for (int k = 0; k < kFits; ++k) {
    const unsigned seed = 1000u + static_cast<unsigned>(k);
    FitCase fit_case = testing::memory_case(truth, correlated_heads(truth, seed),
                                            {{"AK", {5.0, 0.1, 1000.0}}, {"HINIT", {0.2, -10.0, 10.0}}});
    fit_case.file.ar1 = ar1;
    const LeastSquaresFit fit = testing::run_case(fit_case);
    for (const Estimate& e : parameter_estimates(fit_case.free_parameters(), fit)) {
      const double value = truth.*(find_parameter(e.name)->field);
      ++c.intervals;
      if (e.ci95 && e.ci95->first <= value && value <= e.ci95->second) ++c.corrected;
      if (e.plain_ci95 && e.plain_ci95->first <= value && value <= e.plain_ci95->second) ++c.plain;
    }
  }
  return c;
}

// 80 intervals: 40 fits of AK and HINIT to 60 heads. Over 400 fits the AR(1)
// intervals held the truth in 94.5 % (92.4 % with Student's t at all n
// observations rather than the effective number, 90.7 % with phi corrected
// for the mean alone as well) and the plain ones in 58.8 %; these 40 give
// 96.3 % and 52.5 %. With 80 intervals, two per fit and not independent, chance alone
// moves a coverage of 0.9 by about 0.045: 0.80 is two of those below, and
// plain intervals, too narrow by about sqrt((1 + phi) / (1 - phi)) = 2.4
// for smooth sensitivities, cannot reach it. Plain at most 0.75 and 0.15
// below the corrected ones leaves the same room.
TEST(Coverage, ArOneIntervalsHoldTheTruthAndPlainOnesDoNot) {
  const Coverage c = coverage(true);
  const double corrected = static_cast<double>(c.corrected) / c.intervals;
  const double plain = static_cast<double>(c.plain) / c.intervals;
  RecordProperty("corrected_coverage", std::to_string(corrected));
  RecordProperty("plain_coverage", std::to_string(plain));
  EXPECT_GE(corrected, 0.80);
  EXPECT_LE(plain, 0.75);
  EXPECT_GE(corrected - plain, 0.15);
}

}  // namespace
}  // namespace kesta::fit_detail
