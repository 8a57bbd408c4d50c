#include "fit/estimation/least_squares.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "fit/estimation/estimates.hpp"
#include "fit/tests/synthetic_models.hpp"

namespace kesta::fit_detail {
namespace {

using testing::batch_of;
using testing::even_times;
using testing::recession;

const std::vector<double> kTruth = {2.0, 5.0, 0.3};

std::vector<FreeParameter> recession_parameters(double a, double tau, double base) {
  return {{"A", Scale::Log, a, 0.01, 100.0}, {"TAU", Scale::Log, tau, 0.1, 1000.0}, {"BASE", Scale::Linear, base}};
}

Observed observed_from(const std::vector<double>& times, double noise, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> error(0.0, noise);
  Observed o;
  for (double t : times) {
    o.value.push_back(recession(t, kTruth) + (noise > 0.0 ? error(random) : 0.0));
    o.weight.push_back(1.0);
  }
  return o;
}

TEST(LeastSquares, RecoversNoiseFreeParametersFromAnyStart) {
  const std::vector<double> times = even_times(40, 20.0);
  const std::vector<double> starts[] = {{1.0, 1.0, 0.0}, {50.0, 200.0, -3.0}, {0.1, 12.0, 1.0}};
  for (const auto& s : starts) {
    const LeastSquaresFit fit = fit_least_squares(recession_parameters(s[0], s[1], s[2]), observed_from(times, 0.0, 0),
                                                  batch_of(recession, times), {});
    ASSERT_TRUE(fit.converged) << fit.stop_reason;
    for (std::size_t i = 0; i < kTruth.size(); ++i)
      EXPECT_NEAR(fit.estimate[i], kTruth[i], 1e-6 * std::abs(kTruth[i])) << "parameter " << i;
    EXPECT_EQ(fit.null_space.rank_deficiency(), 0);
  }
}

// A bound that excludes the truth holds the estimate on it, and the table says so.
TEST(LeastSquares, EstimateStopsAtBound) {
  const std::vector<double> times = even_times(40, 20.0);
  std::vector<FreeParameter> parameters = recession_parameters(1.0, 1.0, 0.0);
  parameters[1].max = 3.0;
  const LeastSquaresFit fit =
      fit_least_squares(parameters, observed_from(times, 0.0, 0), batch_of(recession, times), {});
  EXPECT_NEAR(fit.estimate[1], 3.0, 1e-9);
  const std::vector<Estimate> table = parameter_estimates(parameters, fit);
  EXPECT_EQ(table[1].at_bound, "max");
  EXPECT_EQ(table[0].at_bound, "");
  // Held on its bound, its spread means nothing; the others keep theirs.
  EXPECT_FALSE(table[1].std_error);
  EXPECT_FALSE(table[1].ci95);
  EXPECT_FALSE(table[1].plain_std_error);
  EXPECT_TRUE(table[0].std_error);
}

// At its bound within 1e-6 of max(1, |bound|) on the solver's scale, and not beyond.
TEST(LeastSquares, OnBoundWithinOneMillionth) {
  const struct {
    double x, bound;
    bool on;
  } cases[] = {{3.0, 3.0, true},     {3.0 - 2.9e-6, 3.0, true},  {3.0 - 3.1e-6, 3.0, false}, {0.5e-6, 0.0, true},
               {1.5e-6, 0.0, false}, {-100.00009, -100.0, true}, {-100.0002, -100.0, false}, {1.0, HUGE_VAL, false}};
  for (const auto& c : cases) EXPECT_EQ(on_bound(c.x, c.bound), c.on) << c.x << " " << c.bound;
}

// Standard errors against the spread of the estimates over many noisy records:
// the covariance must describe that spread, not merely be positive.
TEST(LeastSquares, StandardErrorsMatchSpreadOverNoisyRecords) {
  const std::vector<double> times = even_times(30, 20.0);
  constexpr int kRecords = 60;
  double sum = 0.0, sum2 = 0.0, se_sum = 0.0;
  int covered = 0;
  for (int seed = 1; seed <= kRecords; ++seed) {
    const std::vector<FreeParameter> parameters = recession_parameters(1.0, 2.0, 0.0);
    const LeastSquaresFit fit =
        fit_least_squares(parameters, observed_from(times, 0.02, seed), batch_of(recession, times), {});
    const std::vector<Estimate> table = parameter_estimates(parameters, fit);
    const double tau = std::log(fit.estimate[1]);
    sum += tau;
    sum2 += tau * tau;
    se_sum += *table[1].std_error / fit.estimate[1];
    if (table[1].ci95->first <= kTruth[1] && kTruth[1] <= table[1].ci95->second) ++covered;
  }
  const double mean = sum / kRecords;
  const double spread = std::sqrt(sum2 / kRecords - mean * mean);
  // 60 records give the spread to about 10 %.
  EXPECT_NEAR(se_sum / kRecords, spread, 0.25 * spread);
  EXPECT_GE(covered, 52);  // binomial(60, 0.95): 52 or more in 99 % of draws
}

// A model that cannot be computed at the start is an error, not a fit.
TEST(LeastSquares, FailingModelAtStartThrows) {
  const BatchModel broken = [](const std::vector<std::vector<double>>& sets) {
    return std::vector<std::vector<double>>(sets.size());
  };
  EXPECT_THROW(
      fit_least_squares(recession_parameters(1.0, 1.0, 0.0), observed_from(even_times(5, 1.0), 0.0, 0), broken, {}),
      std::runtime_error);
}

// Numbers that cannot be squared and summed, or are no numbers, end the fit
// with the observation named; before any step they fault the input, after it
// the fit. Never a signal inside the covariance's decomposition.
TEST(LeastSquares, NonFiniteOrUnsquarableNumbersEndTheFitNamingTheObservation) {
  const std::vector<double> times = even_times(6, 3.0);  // 0.5, 1, ..., 3
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double start_value = recession(1.0, {1.0, 1.0, 0.0});  // at the initial values, t = 1
  char largest[32];
  (void)std::snprintf(largest, sizeof largest, "%.6g", 1e200 * (start_value - 2.0));
  const struct {
    const char* name;
    std::size_t k;  // the observation changed, the second of the record (line 3)
    double value, weight;
    bool derivative_fails;  // a model whose slope is not a number
    bool at_start;
    std::string message;
  } cases[] = {
      {"value NaN", 1, nan, 1.0, false, true,
       "the fit cannot be computed at the initial values: the weighted residual at well.csv:3 is nan"},
      {"infinite weight", 1, 2.0, std::numeric_limits<double>::infinity(), false, true,
       "the fit cannot be computed at the initial values: the weighted residual at well.csv:3 is -inf"},
      {"squares beyond double precision", 1, 2.0, 1e200, false, true,
       "the fit cannot be computed at the initial values: the squared weighted residuals sum beyond 1e+300 (the "
       "largest, " +
           std::string(largest) + ", at well.csv:3)"},
      {"slope not a number", 1, 2.0, 1.0, true, false,
       "the fit cannot be computed around the estimate: the weighted derivative by A at well.csv:2 is nan"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Observed observed = observed_from(times, 0.0, 0);
    for (std::size_t k = 0; k < times.size(); ++k) observed.where.push_back("well.csv:" + std::to_string(k + 2));
    observed.value[c.k] = c.value;
    observed.weight[c.k] = c.weight;
    // Finite at the initial A = 1 only: every difference around it is NaN.
    const auto slope_fails = [](double t, const std::vector<double>& p) {
      return p[0] == 1.0 ? recession(t, p) : std::numeric_limits<double>::quiet_NaN();
    };
    const BatchModel model = c.derivative_fails ? batch_of(slope_fails, times) : batch_of(recession, times);
    try {
      fit_least_squares({{"A", Scale::Linear, 1.0}, {"TAU", Scale::Log, 1.0}, {"BASE", Scale::Linear, 0.0}}, observed,
                        model, {});
      ADD_FAILURE() << "no error";
    } catch (const ComputationFailure& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
      EXPECT_EQ(e.at_start(), c.at_start);
    }
  }
}

}  // namespace
}  // namespace kesta::fit_detail

namespace kesta::fit_detail {
namespace {

// Three observations fix the three recession values exactly and leave no
// residual to scale a covariance by: no standard errors, and the reason. A
// fourth gives them.
TEST(LeastSquares, StandardErrorsNeedMoreObservationsThanParameters) {
  const std::pair<int, std::string> cases[] = {{3, "there are no more observations than determined parameters"},
                                               {4, ""}};
  for (const auto& [n, problem] : cases) {
    SCOPED_TRACE(std::to_string(n) + " observations");
    const std::vector<double> times = even_times(n, 20.0);
    const LeastSquaresFit fit = fit_least_squares(recession_parameters(1.5, 4.0, 0.2), observed_from(times, 0.01, 3),
                                                  batch_of(recession, times), {});
    EXPECT_EQ(fit.degrees_of_freedom, n - 3);
    EXPECT_EQ(fit.covariance_problem, problem);
    const std::vector<Estimate> table = parameter_estimates(recession_parameters(1.5, 4.0, 0.2), fit);
    EXPECT_EQ(table[0].std_error.has_value(), problem.empty());
  }
}

}  // namespace
}  // namespace kesta::fit_detail
