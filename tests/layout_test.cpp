#include "io/layout.hpp"

#include <gtest/gtest.h>

namespace kesta {
namespace {

using Records = std::vector<std::string>;

TEST(Layout, SlashesGiveEmptyLines) {
  EXPECT_EQ(format_layout({Slash, Slash, Lit("A")}), (Records{"", "", "A"}));
  // The results heading: three empty lines, two text lines, one empty line.
  EXPECT_EQ(format_layout({Slash, Slash, Slash, X(38), Lit("RESULTS"), Slash, X(38), Lit("-------"), Slash}),
            (Records{"", "", "", std::string(38, ' ') + "RESULTS", std::string(38, ' ') + "-------", ""}));
  EXPECT_EQ(format_layout({Slash, X(3), Lit("Calculating aquifer responses ..."), Slash}),
            (Records{"", "   Calculating aquifer responses ...", ""}));
}

TEST(Layout, LiteralKeepsTrailingBlanks) {
  EXPECT_EQ(format_layout({X(2), Lit(" STRESS DATA NOT PRINTED ")}), (Records{"   STRESS DATA NOT PRINTED "}));
}

TEST(Layout, FieldsTakeValuesInOrder) {
  const Records got = format_layout({X(2), Lit(" NS: "), I(5), X(1), D(10, 3), Lit("|"), A(4)},
                                    {12, 1234.5678, std::string_view("ab  ")});
  EXPECT_EQ(got, (Records{"   NS:    12  0.123D+04|ab  "}));
}

// A field given no value, or a value of another kind, stays blank.
TEST(Layout, FieldsWithoutAValueOfTheirKindStayBlank) {
  EXPECT_EQ(format_layout({Lit("|"), I(4), Lit("|"), D(8, 2), Lit("|"), A(3), Lit("|")}, {1.5, 7, 2.5}),
            (Records{"|    |        |   |"}));
  EXPECT_EQ(format_layout({Lit("|"), I(4), E(8, 2), Lit("|")}), (Records{"|            |"}));
}

TEST(Layout, ReportRowIs75Columns) {
  const Records got =
      format_layout({X(1), D(13, 6), X(2), D(11, 5), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4)},
                    {1.0, 0.47949550, -0.5641902, -1.1283805, 0.5641902, 1.1283805});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "  0.100000D+01  0.47950D+00  -.5642D+00  -.1128D+01  0.5642D+00  0.1128D+01");
  EXPECT_EQ(got[0].size(), 75u);
}

}  // namespace
}  // namespace kesta
