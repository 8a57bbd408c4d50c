// The numbers of the reports and messages, as they are printed.
#include "fit/estimation/number_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kesta::fit_detail {
namespace {

TEST(NumberText, EachFormAsTheReportsPrintIt) {
  const struct {
    std::string printed, expected;
  } cases[] = {
      {shortest(0.1), "0.1"},
      {shortest(1e-7), "1e-07"},
      {six_digits(14.79143238), "14.7914"},
      {six_digits(1.5e-5), "1.5e-05"},
      {decimals(2.30998, 2), "2.31"},
      {decimals(40.05, 1), "40.0"},  // 40.05 lies below its decimal
      {decimals(0.49, 2, true), "+0.49"},
      {decimals(-0.16, 2, true), "-0.16"},
      {decimals(1e300, 0).substr(0, 4), "1000"},
      {whole_percent(0.175), "18 %"},
      {whole_percent(0.25), "25 %"},
      {percent(0.95), "95 %"},
      {percent(0.975), "97.5 %"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.printed, c.expected);
}

}  // namespace
}  // namespace kesta::fit_detail
