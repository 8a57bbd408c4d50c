#include "io/record_editing.hpp"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace kesta {
namespace {

struct RealCase {
  double value;
  char letter;
  int w, d;
  const char* printed;
};

// The editing table of the report conventions, plus the cases the
// conventions single out (carry, tie to even, three-digit exponents).
TEST(RealEditing, WorkedExamples) {
  const RealCase cases[] = {
      {1234.5678, 'E', 13, 6, " 0.123457E+04"}, {1234.5678, 'E', 11, 5, "0.12346E+04"},
      {1234.5678, 'E', 10, 4, "0.1235E+04"},    {1234.5678, 'D', 10, 3, " 0.123D+04"},
      {1234.5678, 'D', 12, 3, "   0.123D+04"},  {-1234.5678, 'E', 13, 6, "-0.123457E+04"},
      {-1234.5678, 'E', 11, 5, "-.12346E+04"},  {-1234.5678, 'E', 10, 4, "-.1235E+04"},
      {-1234.5678, 'D', 10, 3, "-0.123D+04"},   {0.0, 'D', 10, 3, " 0.000D+00"},
      {0.0, 'E', 13, 6, " 0.000000E+00"},       {-0.0, 'D', 10, 3, " 0.000D+00"},
      {9.9996, 'E', 10, 4, "0.1000E+02"},       {1.125, 'D', 10, 3, " 0.112D+01"},
      {0.1, 'D', 10, 4, "0.1000D+00"},          {-0.00012345, 'D', 10, 3, "-0.123D-03"},
      {1.0e-120, 'D', 10, 3, " 0.100-119"},     {-1.0e-120, 'D', 10, 4, "-.1000-119"},
      {2.5e150, 'E', 11, 5, "0.25000+151"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(edit_real(c.value, c.w, c.d, c.letter), c.printed) << c.value << " in " << c.letter << c.w << '.' << c.d;
}

TEST(RealEditing, RoundsTheExactBinaryValue) {
  // 0.125 is exact: a tie, to the even digit. 0.135 is stored just above its decimal
  // text, 2.675 just below: they round by their binary values, not their texts.
  EXPECT_EQ(edit_real(0.125, 9, 2, 'D'), " 0.12D+00");
  EXPECT_EQ(edit_real(0.135, 9, 2, 'D'), " 0.14D+00");
  EXPECT_EQ(edit_real(2.675, 10, 3, 'D'), " 0.267D+01");
  EXPECT_EQ(edit_real(0.375, 9, 2, 'D'), " 0.38D+00");
}

TEST(RealEditing, ExponentsAtTheEdgesOfTheDoubleRange) {
  EXPECT_EQ(edit_real(1.0e99, 10, 3, 'D'), " 0.100+100");  // 0.1 x 10^100: three digits
  EXPECT_EQ(edit_real(1.0e98, 10, 3, 'D'), " 0.100D+99");
  EXPECT_EQ(edit_real(std::numeric_limits<double>::max(), 13, 6, 'E'), " 0.179769+309");
  EXPECT_EQ(edit_real(std::numeric_limits<double>::denorm_min(), 13, 6, 'E'), " 0.494066-323");
  EXPECT_EQ(edit_real(-std::numeric_limits<double>::denorm_min(), 10, 4, 'D'), "-.4941-323");
}

TEST(RealEditing, TooNarrowGivesAsterisks) {
  EXPECT_EQ(edit_real(1234.5678, 7, 3, 'D'), "*******");
  EXPECT_EQ(edit_real(1234.5678, 8, 3, 'D'), ".123D+04");
  EXPECT_EQ(edit_real(-1234.5678, 9, 4, 'E'), "*********");
  EXPECT_EQ(edit_real(1.0e-120, 7, 3, 'D'), "*******");
  EXPECT_EQ(edit_real(1.0e-120, 8, 3, 'D'), ".100-119");  // exactly the minimum: no leading zero
}

// Found by fuzzing: with 71 digits the conversion ran out of room and the field
// came out as "-0." padded with blanks.
TEST(RealEditing, ManyDigitsKeepEveryDigit) {
  // -6.1578338709777484e+37 exactly, the double's value written out in full
  const double value = -61578338709777483527850985985260126208.0;
  EXPECT_EQ(edit_real(value, 80, 71, 'D'),
            "  -0.61578338709777483527850985985260126208000000000000000000000000000000000D+38");
  // 0.1 is stored as 0.1000000000000000055511151231257827021181583404541015625
  EXPECT_EQ(edit_real(0.1, 67, 60, 'E'), " 0.100000000000000005551115123125782702118158340454101562500000E+00");
}

TEST(RealEditing, NonFiniteValuesAreWords) {
  EXPECT_EQ(edit_real(std::nan(""), 10, 4, 'D'), "       NaN");
  EXPECT_EQ(edit_real(std::numeric_limits<double>::infinity(), 13, 6, 'E'), "     Infinity");
  EXPECT_EQ(edit_real(-std::numeric_limits<double>::infinity(), 10, 4, 'E'), " -Infinity");
}

TEST(RealEditing, EveryFieldOfTheReportHoldsAnyFiniteDouble) {
  const double extremes[] = {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::denorm_min(), -1.0e-100, -9.99999e99};
  const int fields[][2] = {{10, 3}, {10, 4}, {11, 5}, {12, 3}, {13, 6}};
  for (double v : extremes)
    for (const auto& f : fields) {
      const std::string text = edit_real(v, f[0], f[1], 'D');
      EXPECT_EQ(text.size(), static_cast<std::size_t>(f[0]));
      EXPECT_EQ(text.find('*'), std::string::npos) << v << " D" << f[0] << '.' << f[1];
    }
}

TEST(IntegerEditing, RightJustifiedOrAsterisks) {
  const std::pair<long long, const char*> cases[] = {
      {0, "    0"},     {42, "   42"},     {-7, "   -7"},     {99999, "99999"},
      {-9999, "-9999"}, {100000, "*****"}, {-10000, "*****"}, {123456, "*****"},
  };
  for (const auto& [value, printed] : cases) EXPECT_EQ(edit_integer(value, 5), printed) << value;
}

TEST(TextEditing, CutPadOrRightJustify) {
  EXPECT_EQ(edit_text("ABC  ", 5), "ABC  ");
  EXPECT_EQ(edit_text("ABC", 5), "  ABC");
  EXPECT_EQ(edit_text("ABCDEFG", 4), "ABCD");
}

}  // namespace
}  // namespace kesta
