#include "model/stehfest.hpp"

#include <cfloat>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kesta {
namespace {

using Weights = std::array<double, NSMAX + 1>;

Weights weights_for(int NS) {
  Weights V{};
  stehfest_weights(NS, V);
  return V;
}

// Every weight is a sum of positive terms, each a handful of exact-integer
// factorial quotients, so it carries at most a few roundings: 16 eps relative.
constexpr double WEIGHT_RELATIVE_TOLERANCE = 16 * DBL_EPSILON;

struct WeightTable {
  int NS;
  std::vector<double> V;  // exact rationals of the closed form
};

// A case reads as its term count, in test names and in failure messages alike.
std::string table_name(const WeightTable& table) { return "NS" + std::to_string(table.NS); }
void PrintTo(const WeightTable& table, std::ostream* os) { *os << table_name(table); }

class StehfestTable : public ::testing::TestWithParam<WeightTable> {};

TEST_P(StehfestTable, MatchesClosedFormWeights) {
  const WeightTable& table = GetParam();
  const Weights V = weights_for(table.NS);
  for (int i = 1; i <= table.NS; ++i)
    EXPECT_NEAR(V[i], table.V[i - 1], std::fabs(table.V[i - 1]) * WEIGHT_RELATIVE_TOLERANCE)
        << "NS = " << table.NS << ", V(" << i << ")";
}

// Closed form (-1)^(NH+i) Σ k^NH (2k)! / ((NH-k)! k! (k-1)! (i-k)! (2k-i)!), in exact rationals.
INSTANTIATE_TEST_SUITE_P(
    EvenCounts, StehfestTable,
    ::testing::Values(WeightTable{4, {-2, 26, -48, 24}}, WeightTable{6, {1, -49, 366, -858, 810, -270}},
                      WeightTable{
                          8, {-1.0 / 3, 145.0 / 3, -906, 16394.0 / 3, -43130.0 / 3, 18730, -35840.0 / 3, 8960.0 / 3}},
                      WeightTable{10,
                                  {1.0 / 12, -385.0 / 12, 1279, -46871.0 / 3, 505465.0 / 6, -473915.0 / 2,
                                   1127735.0 / 3, -1020215.0 / 3, 328125.0 / 2, -65625.0 / 2}},
                      WeightTable{20,
                                  {-1.0 / 181440,
                                   27649.0 / 181440,
                                   -98671.0 / 840,
                                   131108917.0 / 7560,
                                   -2790568153.0 / 3024,
                                   119821402447.0 / 5040,
                                   -377374859491.0 / 1080,
                                   24504756082873.0 / 7560,
                                   -68130546312319.0 / 3360,
                                   1623249872322977.0 / 18144,
                                   -6509634491616289.0 / 22680,
                                   1721139865909409.0 / 2520,
                                   -18432524830422131.0 / 15120,
                                   3537159409818749.0 / 2160,
                                   -830177453365403.0 / 504,
                                   1847549926319669.0 / 1512,
                                   -3923982067728437.0 / 6048,
                                   470366372878831.0 / 2016,
                                   -28868125000000.0 / 567,
                                   2886812500000.0 / 567}}),
    [](const auto& info) { return table_name(info.param); });

TEST(Stehfest, TwentyTermsReachTheirLargestMagnitudeAtTheFifteenth) {
  const Weights V = weights_for(20);
  EXPECT_NEAR(V[15], -1.647e12, 0.001e12);  // the quoted four digits
  for (int i = 1; i <= 20; ++i) EXPECT_LE(std::fabs(V[i]), std::fabs(V[15])) << i;
}

TEST(Stehfest, InvertsOneOverPExactlyUpToRounding) {
  // Σ V(i)/i = 1 is the inversion of 1/p. The terms cancel from magnitudes up to
  // Σ|V(i)|/i, so the double sum may be off by a few eps of that.
  for (int NS = 2; NS <= NSMAX; ++NS) {
    const Weights V = weights_for(NS);
    double sum = 0.0;
    double magnitude = 0.0;
    for (int i = 1; i <= NS; ++i) {
      sum += V[i] / i;
      magnitude += std::fabs(V[i]) / i;
    }
    EXPECT_NEAR(sum, 1.0, 16 * DBL_EPSILON * magnitude) << "NS = " << NS;
  }
}

TEST(Stehfest, EvenWeightsSumToZero) {
  for (int NS = 4; NS <= NSMAX; NS += 2) {
    const Weights V = weights_for(NS);
    double sum = 0.0;
    double magnitude = 0.0;
    for (int i = 1; i <= NS; ++i) {
      sum += V[i];
      magnitude += std::fabs(V[i]);
    }
    EXPECT_NEAR(sum, 0.0, 16 * DBL_EPSILON * magnitude) << "NS = " << NS;
  }
}

TEST(Stehfest, OddCountRepeatsTheEvenWeightsAndEndsWithZero) {
  for (int NS = 5; NS <= 19; NS += 2) {
    const Weights odd = weights_for(NS);
    const Weights even = weights_for(NS - 1);
    for (int i = 1; i < NS; ++i) EXPECT_EQ(odd[i], even[i]) << "NS = " << NS << ", V(" << i << ")";
    EXPECT_EQ(odd[NS], 0.0) << "NS = " << NS;
  }
}

TEST(Stehfest, TwoAndThreeTermsTakeZeroFactorialAsOne) {
  const Weights two = weights_for(2);
  EXPECT_EQ(two[1], 2.0);
  EXPECT_EQ(two[2], -2.0);
  const Weights three = weights_for(3);
  EXPECT_EQ(three[1], 2.0);
  EXPECT_EQ(three[2], -2.0);
  EXPECT_EQ(three[3], 0.0);
}

TEST(Stehfest, WritesOnlyTheFirstNSWeights) {
  Weights V;
  V.fill(7.5);
  stehfest_weights(6, V);
  for (int i = 7; i <= NSMAX; ++i) EXPECT_EQ(V[i], 7.5) << i;
  EXPECT_EQ(V[0], 7.5);

  V.fill(7.5);
  stehfest_weights(0, V);
  for (double v : V) EXPECT_EQ(v, 7.5);

  stehfest_weights(1, V);  // no coefficient: the single weight is zero
  EXPECT_EQ(V[1], 0.0);
}

TEST(Stehfest, CountAboveCapacityStaysInsideTheSeries) {
  Weights V{};
  stehfest_weights(NSMAX + 5, V);
  const Weights twenty = weights_for(NSMAX);
  EXPECT_EQ(V, twenty);
}

}  // namespace
}  // namespace kesta
