// The lag sums by FFT convolution against the same sums in quadruple
// precision: the rounding bound they return holds at every step, at sizes
// either side of the contour engine's crossover and at a million steps, and
// lies far below the digits the report prints.
#include "model/convolved_sums.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "closed_forms.hpp"
#include "model/lag_sums.hpp"
#include "model_fixture.hpp"

namespace kesta {
namespace {

__extension__ typedef __float128 Quad;

enum class Stress { Step, Record, Ramp, Flood };

// Rates 1..n (entry 0 unused) of a stage record of the given shape.
std::vector<double> rates(Stress kind, int n) {
  std::vector<double> rate(static_cast<std::size_t>(n) + 1, 0.0);
  testing::Noise noise{static_cast<std::uint64_t>(n) * 7 + static_cast<std::uint64_t>(kind)};
  for (int m = 1; m <= n; ++m) {
    const double x = static_cast<double>(m) / n;
    double r = 0.0;
    switch (kind) {
      case Stress::Step: r = m == 1 ? 1.0 : 0.0; break;
      case Stress::Record: r = 0.3 * noise.next(); break;
      case Stress::Ramp: r = 1.0 / n; break;
      case Stress::Flood: r = std::sin(6.0 * x) * std::exp(-3.0 * x) / n; break;
    }
    rate[static_cast<std::size_t>(m)] = r;
  }
  return rate;
}

// The exact sum of one step, every product and addition in quadruple precision.
Quad exact_sum(const std::vector<double>& rate, const std::vector<double>& response, int i) {
  Quad sum = 0;
  for (int j = 1; j <= i; ++j)
    sum += static_cast<Quad>(rate[static_cast<std::size_t>(i - j + 1)]) *
           static_cast<Quad>(response[static_cast<std::size_t>(j)]);
  return sum;
}

TEST(ConvolvedSums, BoundHoldsAgainstTheSumsInQuadruplePrecision) {
  struct Case {
    Stress kind;
    int n;
    int checked_steps;  // 0: every step
  };
  const Case cases[] = {{Stress::Step, 513, 0},        {Stress::Record, 513, 0},  {Stress::Ramp, 700, 0},
                        {Stress::Flood, 2000, 0},      {Stress::Record, 3000, 0}, {Stress::Ramp, 1 << 20, 4},
                        {Stress::Record, 1'000'000, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE("stress " + std::to_string(static_cast<int>(c.kind)) + ", n " + std::to_string(c.n));
    // The half space's step responses at lag j of 0.01 dimensionless time.
    std::vector<double> RH(static_cast<std::size_t>(c.n) + 1, 0.0), RQ = RH;
    for (int j = 1; j <= c.n; ++j) {
      const testing::Exact e = testing::half_space(1.0, 0.01 * j);
      RH[static_cast<std::size_t>(j)] = e.head;
      RQ[static_cast<std::size_t>(j)] = e.seepage;
    }
    const std::vector<double> rate_h = rates(c.kind, c.n);
    std::vector<double> rate_q = rate_h;
    for (double& r : rate_q) r *= 0.5;
    std::vector<double> head(RH.size()), seepage(RH.size());
    const ConvolutionRounding bound = convolved_lag_sums(rate_h, RH, rate_q, RQ, c.n, head, seepage);

    std::vector<int> steps;
    if (c.checked_steps == 0) {
      for (int i = 1; i <= c.n; ++i) steps.push_back(i);
    } else {
      for (int s = 1; s <= c.checked_steps; ++s) steps.push_back(std::max(1, c.n / c.checked_steps * s));
    }
    double largest_h = 0.0, largest_q = 0.0, worst_h = 0.0, worst_q = 0.0;
    for (const int i : steps) {
      const auto k = static_cast<std::size_t>(i);
      const double exact_h = static_cast<double>(exact_sum(rate_h, RH, i));
      const double exact_q = static_cast<double>(exact_sum(rate_q, RQ, i));
      largest_h = std::max(largest_h, std::fabs(exact_h));
      largest_q = std::max(largest_q, std::fabs(exact_q));
      worst_h = std::max(worst_h, std::fabs(head[k] - exact_h));
      worst_q = std::max(worst_q, std::fabs(seepage[k] - exact_q));
    }
    EXPECT_LE(worst_h, bound.head);
    EXPECT_LE(worst_q, bound.seepage);
    // A millionth of the half unit of the fifth printed digit of the largest value.
    EXPECT_LT(bound.head, 5e-12 * largest_h);
    EXPECT_LT(bound.seepage, 5e-12 * largest_q);
    // Not so loose that it would hold anything: within a thousand times the worst.
    EXPECT_LT(bound.head, 1e3 * std::max(worst_h, 1e-17 * largest_h));
  }
}

}  // namespace
}  // namespace kesta
