#include "plot/csv_table.hpp"

#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

std::string csv_of(const std::vector<testing::Row>& rows, const Units& units) {
  std::ostringstream out;
  write_csv(parse_plot_file(testing::plot_file_text(rows)), units, out);
  return out.str();
}

TEST(CsvTable, HeaderNamesEachColumnAndItsUnit) {
  EXPECT_EQ(csv_of({}, parse_units("m,d")), "T (d),H (m),SEEP (m^2/d),SEEPT (m^3/d),BANK (m^2),BANKV (m^3)\n");
  EXPECT_EQ(csv_of({}, Units{}), "T (T),H (L),SEEP (L^2/T),SEEPT (L^3/T),BANK (L^2),BANKV (L^3)\n");
}

TEST(CsvTable, RowsHoldThePrintedValuesInTheFewestDigits) {
  // A row of examples/flood-wave-confined.dat and one with three-digit exponents.
  const std::string csv = csv_of({{2.4, 0.73076, -0.03564, -356.4, 0.4005, 4005.0}, {1, 1e-120, 0, -2.5e150, 0, 0}},
                                 parse_units("m,d"));
  EXPECT_EQ(csv.substr(csv.find('\n') + 1), "2.4,0.73076,-0.03564,-356.4,0.4005,4005\n1,1e-120,0,-2.5e+150,0,0\n");
}

TEST(CsvTable, NaNAndInfinityAreMissingValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string csv = csv_of({{0, nan, 1, 2, 3, 4}, {1, 2, -inf, 2, 3, 4}}, Units{});
  EXPECT_EQ(csv.substr(csv.find('\n') + 1), "0,,1,2,3,4\n1,2,,2,3,4\n");
}

}  // namespace
}  // namespace kesta::plot
