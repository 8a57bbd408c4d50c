// Which printed values the inversion's error reaches, and the warning that
// names them.
#include "model/printed_accuracy.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "io/record_editing.hpp"
#include "report/accuracy_warning.hpp"

namespace kesta {
namespace {

// Half a unit of the last digit as read back from the D editing itself.
double edited_half_unit(double value, int digits) {
  const std::string field = edit_real(value, 20, digits, 'D');
  std::size_t end = field.find('.') + 1 + static_cast<std::size_t>(digits);
  if (field[end] == 'D') ++end;
  return 0.5 * std::pow(10.0, std::stoi(field.substr(end)) - digits);
}

TEST(HalfUnit, AgreesWithTheEditingAtDecadesAndRoundingCarries) {
  // Values just below a power of ten round up into the next decade when printed;
  // exact ties, whose decimal form a double cannot hold, are left out.
  const double values[] = {0.0,        1.0,        0.999996, 0.999994, 52.3,    -3.2e-7,
                           9.99951e-3, 9.99949e-3, 1e-300,   -0.47950, 123456.0};
  for (double v : values)
    for (int digits : {kHeadDigits, kSeepageDigits})
      EXPECT_DOUBLE_EQ(half_unit(v, digits), edited_half_unit(v, digits)) << v << " with " << digits << " digits";
}

// Values from every decade, subnormals included: the decade the first guess
// from the binary exponent and the table settle on is the printed one. Values
// within a hair of a rounding carry, where a double cannot tell, are left out.
TEST(HalfUnit, AgreesWithTheEditingOverTheWholeRange) {
  std::mt19937_64 random(31);
  std::uniform_real_distribution<double> decade(-320.0, 307.0);
  for (int n = 0; n < 20000; ++n) {
    const double v = std::pow(10.0, decade(random)) * (n % 3 == 0 ? -1.0 : 1.0);
    const int digits = 1 + n % 8;
    const double mantissa = std::fabs(v) / std::pow(10.0, std::floor(std::log10(std::fabs(v))));
    if (std::fabs(mantissa - 10.0 * (1.0 - 0.5 * std::pow(10.0, -digits))) < 1e-9) continue;
    EXPECT_EQ(half_unit(v, digits), edited_half_unit(v, digits)) << v << " with " << digits << " digits";
  }
}

struct ColumnCase {
  const char* name;
  double printed, error;
  int off, noise;
};

// One computed step of head (and a seepage that holds), judged alone.
const ColumnCase kHeadCases[] = {
    {"within_half_unit", 0.61708, 4.9e-6, 0, 0},       {"beyond_half_unit", 0.61708, 5.1e-6, 1, 0},
    {"half_unit_of_a_large_head", 52.902, 4e-4, 0, 0}, {"value_smaller_than_its_error", 3e-6, 8e-6, 1, 1},
    {"sign_turned_by_the_error", -2e-6, -5e-6, 1, 1},
};

class HeadColumn : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(HeadColumn, CountsValuesOffAndNoise) {
  const ColumnCase& c = GetParam();
  Results r;
  r.time = {0.0, 1.0};
  r.head = {0.0, c.printed};
  r.seepage = {0.0, -0.5};
  const InversionError e{16, {0.0, c.error}, {0.0, 1e-9}};
  const PrintedAccuracy a = check_printed(r, e);
  EXPECT_EQ(a.head.off, c.off);
  EXPECT_EQ(a.head.noise, c.noise);
  EXPECT_EQ(a.seepage.off, 0);
  EXPECT_EQ(a.all_digits_correct(), c.off == 0);
  const std::string warning = accuracy_warning(r, a, NsAdvice{18, 0});
  EXPECT_EQ(warning.empty(), c.off == 0) << warning;
  // Every line is a warning line; the noise is named as the error floor.
  for (std::size_t at = 0; at < warning.size(); at = warning.find('\n', at) + 1)
    EXPECT_EQ(warning.compare(at, 16, "kesta: warning: "), 0) << warning;
  EXPECT_EQ(warning.find("error floor") != std::string::npos, c.noise > 0) << warning;
}

INSTANTIATE_TEST_SUITE_P(OneStep, HeadColumn, ::testing::ValuesIn(kHeadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AccuracyWarning, NamesTheTimeRangeTheSizeAndTheAdvice) {
  Results r;
  r.time = {0.0, 0.5, 1.0, 1.5};
  r.head = {0.0, 0.2, 0.4, 0.5};
  r.seepage = {0.0, -0.3, -0.2, -0.1};
  const InversionError e{20, {0.0, 0.0, 3e-5, 2e-5}, {0.0, 0.0, 0.0, 0.0}};
  const PrintedAccuracy a = check_printed(r, e);
  const std::string advised = accuracy_warning(r, a, NsAdvice{16, 0});
  EXPECT_NE(advised.find("NS = 20"), std::string::npos) << advised;
  EXPECT_NE(advised.find("head: 2 of 3 values from time 1 to 1.5"), std::string::npos) << advised;
  EXPECT_NE(advised.find("3.0E-05 L (3.0 units"), std::string::npos) << advised;
  EXPECT_NE(advised.find("NS = 16 prints correct digits"), std::string::npos) << advised;
  const std::string nearest = accuracy_warning(r, a, NsAdvice{18, 1});
  EXPECT_NE(nearest.find("NS = 18 comes nearest (1 value off)"), std::string::npos) << nearest;
}

}  // namespace
}  // namespace kesta
