#include "plot/e_field.hpp"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

struct Reading {
  const char* token;
  double value;
};

TEST(EField, ReadsEveryFormKestaPrints) {
  // Tokens from the plot file of a 4-step run and from three-digit exponents.
  const Reading cases[] = {
      {"0.000000E+00", 0.0},      {"0.100000E+01", 1.0}, {"0.47950E+00", 0.4795}, {"-.5642E+00", -0.5642},
      {"-.1128E+01", -1.128},     {"0.100-119", 1e-120}, {"-.1000-119", -1e-120}, {"0.25000+151", 2.5e150},
      {"0.12345E-05", 1.2345e-6}, {"0.5", 0.5},          {"+.5E+01", 5.0},        {"0.5D+01", 5.0},
  };
  for (const Reading& c : cases) {
    const std::optional<double> v = read_e_field(c.token);
    ASSERT_TRUE(v.has_value()) << c.token;
    EXPECT_DOUBLE_EQ(*v, c.value) << c.token;
  }
}

TEST(EField, ReadsNonFiniteWords) {
  EXPECT_TRUE(std::isnan(*read_e_field("NaN")));
  EXPECT_EQ(*read_e_field("Infinity"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(*read_e_field("-Infinity"), -std::numeric_limits<double>::infinity());
}

TEST(EField, OutOfRangeExponentsSaturate) {
  EXPECT_EQ(*read_e_field("0.1000+999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(*read_e_field("-.1000+999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(*read_e_field("0.1000-999"), 0.0);
}

TEST(EField, RefusesTextThatIsNoNumber) {
  for (const char* token : {"", "abc", "nan", "1.2.3", "0.5E", "0.5E+", "0.5+", "-", ".", "E+01", "0.5E+0x",
                            "**********", "0.5-1a", "1,5", "0x1p3"}) {
    EXPECT_FALSE(read_e_field(token).has_value()) << "'" << token << "'";
  }
}

}  // namespace
}  // namespace kesta::plot
