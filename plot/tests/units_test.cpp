#include "plot/units.hpp"

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

TEST(Units, NameEveryColumnInTheDecksUnits) {
  const Units u = parse_units("m,d");
  const std::string expected[] = {"d", "m", "m\u00b2/d", "m\u00b3/d", "m\u00b2", "m\u00b3"};
  for (std::size_t c = 0; c < kColumnCount; ++c) EXPECT_EQ(u.of(static_cast<Column>(c)), expected[c]);
  EXPECT_EQ(parse_units("ft,min").of(Column::SEEP, UnitStyle::Ascii), "ft^2/min");
  EXPECT_EQ(Units{}.of(Column::SEEPT), "L\u00b3/T");
}

TEST(Units, RejectWhatCannotNameAUnit) {
  for (const char* text : {"m", ",d", "m,", "m,d,s", "m ,d", "m,\"d\"", "m,\xff", "metres-above-datum,d"})
    EXPECT_THROW(parse_units(text), UnitsError) << text;
}

TEST(PrintableUtf8, KeepsUtf8AndReplacesWhatIsNot) {
  EXPECT_EQ(printable_utf8("Flu\u00dfaue \u2248 2 m"), "Flu\u00dfaue \u2248 2 m");
  EXPECT_EQ(printable_utf8("tab\t, Latin-1 \xe9, overlong \xc0\xaf, cut \xe2\x82"),
            "tab?, Latin-1 ?, overlong ??, cut ??");
}

}  // namespace
}  // namespace kesta::plot
