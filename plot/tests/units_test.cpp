#include "plot/units.hpp"

#include <string>

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

TEST(Units, NameEveryColumnInTheDecksUnits) {
  const Units metres_days = parse_units("m,d");
  EXPECT_EQ(metres_days.of(Column::T), "d");
  EXPECT_EQ(metres_days.of(Column::H), "m");
  EXPECT_EQ(metres_days.of(Column::SEEP), "m\u00b2/d");
  EXPECT_EQ(metres_days.of(Column::SEEPT), "m\u00b3/d");
  EXPECT_EQ(metres_days.of(Column::BANK), "m\u00b2");
  EXPECT_EQ(metres_days.of(Column::BANKV), "m\u00b3");
  EXPECT_EQ(metres_days.of(Column::SEEPT, UnitStyle::Ascii), "m^3/d");
  EXPECT_EQ(parse_units("ft,min").of(Column::SEEP, UnitStyle::Ascii), "ft^2/min");
  EXPECT_EQ(parse_units("\u00b5m,s").length, "\u00b5m");  // UTF-8 is printable
}

TEST(Units, WithoutUnitsTheColumnsReadInLAndT) {
  const Units none;
  EXPECT_EQ(none.of(Column::SEEP), "L\u00b2/T");
  EXPECT_EQ(none.of(Column::T), "T");
}

TEST(Units, RejectWhatCannotNameAUnit) {
  for (const char* text : {"m", "m;d", ",d", "m,", "m,d,s", "m ,d", "m,\"d\"", "m,day\x01", "m,\xff", "metres-above-datum,d"})
    EXPECT_THROW(parse_units(text), UnitsError) << text;
}

TEST(PrintableUtf8, KeepsUtf8AndReplacesWhatIsNot) {
  EXPECT_EQ(printable_utf8("Flu\u00dfaue \u2248 2 m"), "Flu\u00dfaue \u2248 2 m");
  EXPECT_EQ(printable_utf8("tab\there"), "tab?here");
  EXPECT_EQ(printable_utf8("Latin-1 \xe9t\xe9"), "Latin-1 ?t?");
  EXPECT_EQ(printable_utf8("\xc0\xaf overlong, \xed\xa0\x80 surrogate, \xf4\x90\x80\x80 too large"),
            "?? overlong, ??? surrogate, ???? too large");
  EXPECT_EQ(printable_utf8("cut \xe2\x82"), "cut ??");
}

}  // namespace
}  // namespace kesta::plot
