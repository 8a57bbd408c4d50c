#include "io/list_parser.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace kesta {
namespace {

// Targets start from a marker so that an untouched target shows.
constexpr double kUnset = -999.0;
constexpr int kUnsetInt = -999;

struct ThreeInts {
  int a = kUnsetInt, b = kUnsetInt, c = kUnsetInt;
  ListOutcome parse(std::string_view text) { return parse_list(text, {&a, &b, &c}); }
};
struct ThreeDoubles {
  double a = kUnset, b = kUnset, c = kUnset;
  ListOutcome parse(std::string_view text) { return parse_list(text, {&a, &b, &c}); }
};

// The free-form table of the reading conventions.
TEST(ListParser, MixedTargetsWithCommasOrBlanks) {
  for (const char* text : {"1, 0.5, 2", "1 0.5 2", "1\t0.5\t2", " 1 ,0.5,  2  "}) {
    int i = 0, k = 0;
    double d = 0;
    EXPECT_EQ(parse_list(text, {&i, &d, &k}), ListOutcome::Complete) << text;
    EXPECT_EQ(i, 1);
    EXPECT_EQ(d, 0.5);
    EXPECT_EQ(k, 2);
  }
}

TEST(ListParser, NullValueLeavesTargetUnchanged) {
  ThreeInts t;
  EXPECT_EQ(t.parse("1,,2"), ListOutcome::Complete);
  EXPECT_EQ(t.a, 1);
  EXPECT_EQ(t.b, kUnsetInt);
  EXPECT_EQ(t.c, 2);

  ThreeInts lead;
  EXPECT_EQ(lead.parse(",5, 6"), ListOutcome::Complete);
  EXPECT_EQ(lead.a, kUnsetInt);
  EXPECT_EQ(lead.b, 5);
  EXPECT_EQ(lead.c, 6);

  ThreeInts spaced;
  EXPECT_EQ(spaced.parse("1 , , 2"), ListOutcome::Complete);
  EXPECT_EQ(spaced.b, kUnsetInt);
  EXPECT_EQ(spaced.c, 2);
}

TEST(ListParser, SlashEndsTheList) {
  ThreeDoubles t;
  EXPECT_EQ(t.parse("1 / 7 8"), ListOutcome::Complete);
  EXPECT_EQ(t.a, 1.0);
  EXPECT_EQ(t.b, kUnset);
  EXPECT_EQ(t.c, kUnset);

  ThreeDoubles glued;
  EXPECT_EQ(glued.parse("1 2/abc"), ListOutcome::Complete);
  EXPECT_EQ(glued.b, 2.0);
  EXPECT_EQ(glued.c, kUnset);
}

TEST(ListParser, RepeatCounts) {
  ThreeDoubles t;
  EXPECT_EQ(t.parse("2*7.5 3"), ListOutcome::Complete);
  EXPECT_EQ(t.a, 7.5);
  EXPECT_EQ(t.b, 7.5);
  EXPECT_EQ(t.c, 3.0);

  ThreeDoubles nulls;
  EXPECT_EQ(nulls.parse("2* 4"), ListOutcome::Complete);
  EXPECT_EQ(nulls.a, kUnset);
  EXPECT_EQ(nulls.b, kUnset);
  EXPECT_EQ(nulls.c, 4.0);

  ThreeDoubles more;  // more copies than targets: the rest is not needed
  EXPECT_EQ(more.parse("5*1"), ListOutcome::Complete);
  EXPECT_EQ(more.c, 1.0);

  // A count has at most nine digits: no line needs a billion copies.
  for (const char* bad : {"0*5", "-2*5", "*5", "2**5", "x*5", "1000000000*5"}) {
    ThreeDoubles b;
    EXPECT_EQ(b.parse(bad), ListOutcome::Error) << bad;
  }
}

TEST(ListParser, ExponentLetters) {
  for (const char* text : {"1.0E-3", "1.0D-3", "1.0e-3", "1.0d-3", "1D-3", ".1e-2", "+1.0E-3"}) {
    double x = kUnset;
    EXPECT_EQ(parse_list(text, {&x}), ListOutcome::Complete) << text;
    EXPECT_EQ(x, 0.001) << text;
  }
  double whole = 0;
  EXPECT_EQ(parse_list("5", {&whole}), ListOutcome::Complete);
  EXPECT_EQ(whole, 5.0);
}

TEST(ListParser, ExtraValuesAreIgnored) {
  ThreeInts t;
  EXPECT_EQ(t.parse("1 2 3 4"), ListOutcome::Complete);
  EXPECT_EQ(t.c, 3);
  ThreeInts words;
  EXPECT_EQ(words.parse("0 3 0 7 trailing words"), ListOutcome::Complete);
  EXPECT_EQ(words.b, 3);
}

TEST(ListParser, TooFewValuesIsEndOfData) {
  ThreeInts t;
  EXPECT_EQ(t.parse("1 2"), ListOutcome::EndOfData);
  EXPECT_EQ(t.a, 1);
  EXPECT_EQ(t.b, 2);
  EXPECT_EQ(t.c, kUnsetInt);
  for (const char* text : {"", "      ", "\t ", "1,2,"}) {
    ThreeInts e;
    EXPECT_EQ(e.parse(text), ListOutcome::EndOfData) << '"' << text << '"';
  }
}

TEST(ListParser, IntegerTargetsAreCutTowardZero) {
  ThreeInts t;
  EXPECT_EQ(t.parse("2.7 -2.7 10."), ListOutcome::Complete);
  EXPECT_EQ(t.a, 2);
  EXPECT_EQ(t.b, -2);
  EXPECT_EQ(t.c, 10);
  int n = 0;
  EXPECT_EQ(parse_list("1.5E1", {&n}), ListOutcome::Complete);
  EXPECT_EQ(n, 15);
  EXPECT_EQ(parse_list("2147483647.9", {&n}), ListOutcome::Complete);
  EXPECT_EQ(n, 2147483647);
  EXPECT_EQ(parse_list("-2147483648", {&n}), ListOutcome::Complete);
  EXPECT_EQ(n, -2147483647 - 1);
}

TEST(ListParser, TextThatIsNotANumberIsAnError) {
  ThreeDoubles t;
  EXPECT_EQ(t.parse("1 abc 3"), ListOutcome::Error);
  EXPECT_EQ(t.a, 1.0);
  EXPECT_EQ(t.c, kUnset);
  for (const char* bad : {"abc", "1.5x", ".", "+", "1e", "1e+", "1.0+5", "1..2", "'1'", "nan", "inf", "0x10", "1;2"}) {
    double x = kUnset;
    EXPECT_EQ(parse_list(bad, {&x}), ListOutcome::Error) << bad;
  }
}

// Decided for this program: no infinity enters the model from a deck, and an
// integer that does not fit 32 bits is refused.
TEST(ListParser, OutOfRangeValuesAreErrors) {
  double x = kUnset;
  EXPECT_EQ(parse_list("1e400", {&x}), ListOutcome::Error);
  EXPECT_EQ(parse_list("-1.0D309", {&x}), ListOutcome::Error);
  int n = kUnsetInt;
  EXPECT_EQ(parse_list("99999999999", {&n}), ListOutcome::Error);
  EXPECT_EQ(parse_list("2147483648", {&n}), ListOutcome::Error);
  EXPECT_EQ(parse_list("-2147483649", {&n}), ListOutcome::Error);
  EXPECT_EQ(n, kUnsetInt);
}

TEST(ListParser, UnderflowGivesTheNearestDouble) {
  double x = kUnset;
  EXPECT_EQ(parse_list("1e-400", {&x}), ListOutcome::Complete);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(parse_list("5e-324", {&x}), ListOutcome::Complete);
  EXPECT_EQ(x, std::numeric_limits<double>::denorm_min());
}

}  // namespace
}  // namespace kesta

namespace kesta {
namespace {

// Plain text ("-1.25e-7") is read in place, text with a D exponent or a plus
// sign by rewriting it first: the two ways give the same double, to the bit.
TEST(ListParser, PlainAndRewrittenFormsReadAlike) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> decade(-300.0, 300.0);
  for (int n = 0; n < 20000; ++n) {
    char plain[40];
    const double x = std::pow(10.0, decade(random)) * ((n % 2 != 0) ? -1.0 : 1.0);
    std::snprintf(plain, sizeof plain, "%.*e", n % 18, x);
    std::string rewritten = plain;
    rewritten[rewritten.find('e')] = 'D';
    if (rewritten[0] != '-') rewritten.insert(0, "+");
    double a = kUnset, b = kUnset;
    ASSERT_EQ(parse_list(plain, {&a}), ListOutcome::Complete) << plain;
    ASSERT_EQ(parse_list(rewritten, {&b}), ListOutcome::Complete) << rewritten;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b)) << plain << " and " << rewritten;
    EXPECT_EQ(a, std::strtod(plain, nullptr)) << plain;
  }
}

}  // namespace
}  // namespace kesta
