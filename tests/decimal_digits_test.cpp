#include "io/decimal_digits.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace kesta {
namespace {

// The digits and exponent the general conversion gives: to_chars rounds the
// exact binary value, ties to even.
DecimalDigits general(double x, int d) {
  char text[64];
  const auto res = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, d - 1);
  const char* e = static_cast<const char*>(std::memchr(text, 'e', static_cast<std::size_t>(res.ptr - text)));
  DecimalDigits out;
  for (const char* c = text; c < e; ++c)
    if (*c != '.') out.digits = out.digits * 10 + static_cast<std::uint64_t>(*c - '0');
  int k = 0;
  std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, k);
  out.exponent = k + 1;
  return out;
}

void expect_same_as_general(double x, int d) {
  const auto fast = leading_digits(x, d);
  if (!fast) return;
  const DecimalDigits want = general(x, d);
  EXPECT_EQ(fast->digits, want.digits) << x << " to " << d << " digits";
  EXPECT_EQ(fast->exponent, want.exponent) << x << " to " << d << " digits";
}

TEST(LeadingDigits, TiesCarriesAndPowersOfTen) {
  struct Case {
    double x;
    int d;
    std::uint64_t digits;
    int exponent;
  };
  const Case cases[] = {
      {0.125, 2, 12, 0},     // a tie, to the even digit
      {0.375, 2, 38, 0},     // a tie, up to the even digit
      {9.5, 1, 1, 2},        // a tie that carries into the exponent
      {9.9996, 4, 1000, 2},  // rounding up carries too
      {2.675, 3, 267, 1},    // stored just below its text
      {0.135, 2, 14, 0},     // stored just above its text
      {1.0, 6, 100000, 1},   // a power of ten is its own first digit
      {1000.0, 1, 1, 4},     //
      {1e17, 17, 10000000000000000, 18},
      {123456.0, 3, 123, 6},     // dividing by a power of ten
      {1e22, 4, 1000, 23},       //
      {1.0e-20, 5, 10000, -19},  // far below one
      {4503599627370497.0, 17, 45035996273704970, 16},
  };
  for (const auto& c : cases) {
    const auto got = leading_digits(c.x, c.d);
    ASSERT_TRUE(got.has_value()) << c.x;
    EXPECT_EQ(got->digits, c.digits) << c.x << " to " << c.d << " digits";
    EXPECT_EQ(got->exponent, c.exponent) << c.x << " to " << c.d << " digits";
    expect_same_as_general(c.x, c.d);
  }
}

TEST(LeadingDigits, OutsideItsRangeItLeavesTheValueToTheGeneralConversion) {
  const double outside[] = {0.0,
                            -1.0,
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
  for (double x : outside) EXPECT_FALSE(leading_digits(x, 6).has_value()) << x;
  EXPECT_FALSE(leading_digits(1.0, 0).has_value());
  EXPECT_FALSE(leading_digits(1.0, 18).has_value());
}

// Random values over the range a report prints and beyond, every width: the
// same digits as the general conversion, and the exact path takes every value
// from 1e-12 to 1e20.
TEST(LeadingDigits, AgreesWithTheGeneralConversionOnRandomValues) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> decade(-30.0, 30.0);
  std::uniform_int_distribution<int> width(1, 17);
  int missed_in_range = 0;
  for (int n = 0; n < 200000; ++n) {
    const double p = decade(random);
    const double x = std::pow(10.0, p) * (1.0 + 1e-3 * static_cast<double>(random() % 1000));
    const int d = width(random);
    if (p > -12.0 && p < 20.0 && !leading_digits(x, d)) ++missed_in_range;
    expect_same_as_general(x, d);
  }
  EXPECT_EQ(missed_in_range, 0);
}

// (2j + 1) / 2^n ends in a 5 at its n-th decimal: cut one digit short of its
// length, every one of them is a tie.
TEST(LeadingDigits, EveryExactTieGoesToTheEvenDigit) {
  for (int n = 1; n <= 40; ++n) {
    for (std::uint64_t j = 0; j < 200; ++j) {
      const double x = std::ldexp(static_cast<double>(2 * j + 1), -n);
      const int length = n + static_cast<int>(std::floor(std::log10(x))) + 1;  // significant digits of x
      if (length - 1 < 1 || length - 1 > 17) continue;
      expect_same_as_general(x, length - 1);
      const auto got = leading_digits(x, length - 1);
      ASSERT_TRUE(got.has_value()) << x;
      // 9.5 carries to 0.1 x 10^2: the one odd first digit a tie can give.
      EXPECT_TRUE(got->digits % 2 == 0 || got->digits == 1) << x << " is a tie: it goes to the even digit";
    }
  }
}

TEST(LeadingDigits, PutDigitsKeepsLeadingZeros) {
  char out[8] = {};
  put_digits(out, 42, 5);
  EXPECT_EQ(std::string(out, 5), "00042");
  put_digits(out, 1234567, 7);
  EXPECT_EQ(std::string(out, 7), "1234567");
}

}  // namespace
}  // namespace kesta
