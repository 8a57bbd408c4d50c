#include "plot/csv_table.hpp"

#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

TEST(CsvTable, AHeaderWithUnitsThenEveryRowInTheFewestDigits) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // A row of examples/flood-wave-confined.dat, three-digit exponents, NaN.
  const std::vector<testing::Row> rows = {
      {2.4, 0.73076, -0.03564, -356.4, 0.4005, 4005.0}, {1, 1e-120, 0, -2.5e150, 0, 0}, {2, nan, 1, 2, 3, 4}};
  std::ostringstream out;
  write_csv(parse_plot_file(testing::plot_file_text(rows)), parse_units("m,d"), out);
  EXPECT_EQ(out.str(),
            "T (d),H (m),SEEP (m^2/d),SEEPT (m^3/d),BANK (m^2),BANKV (m^3)\n"
            "2.4,0.73076,-0.03564,-356.4,0.4005,4005\n"
            "1,1e-120,0,-2.5e+150,0,0\n"
            "2,,1,2,3,4\n");  // NaN and Infinity are missing values
}

}  // namespace
}  // namespace kesta::plot
