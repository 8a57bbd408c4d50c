// The results of kesta --case read back and drawn on their dates: the header's
// units, the dates and their offset, every malformed file refused with its
// line, and the program drawing a results file with calendar labels.
#include "plot/case_results.hpp"

#include <gtest/gtest.h>

#include <cstdio>

#include "plot/tests/plot_file_text.hpp"
#include "plot/tests/run_kesta_plot.hpp"

namespace kesta::plot {
namespace {

const std::string kHeader =
    "time (d),date,head (m),seepage (m^2/d),total seepage (m^3/d),bank storage (m^2),bank-storage volume (m^3)\n";

// Hourly rows from 2023-03-01 00:00 at +01:00, as kesta --case writes them.
std::string results_text(int rows) {
  std::string text = "# " + std::to_string(rows) + " steps of 1 h\n# dates written in Europe/Amsterdam\n" + kHeader;
  for (int k = 0; k < rows; ++k) {
    char row[160];
    std::snprintf(row, sizeof row, "%.17g,2023-03-%02dT%02d:00:00+01:00,%g,%g,%g,%g,%g\n", k / 24.0, 1 + k / 24, k % 24,
                  0.01 * k, -0.002 * k, -0.8 * k, 0.003 * k, 1.2 * k);
    text += row;
  }
  return text;
}

TEST(CaseResults, ReadWithUnitsDatesAndOffset) {
  const CaseResults r = parse_case_results(results_text(48));
  EXPECT_TRUE(r.dated);
  EXPECT_EQ(r.units.length, "m");
  EXPECT_EQ(r.units.time, "d");
  EXPECT_EQ(r.series.rows_read, 48u);
  ASSERT_EQ(r.seconds.size(), 48u);
  EXPECT_EQ(r.seconds[1] - r.seconds[0], 3600.0);
  EXPECT_EQ(r.offset.count(), 60);
  EXPECT_EQ(r.first_date, "2023-03-01T00:00:00+01:00");
  EXPECT_EQ(r.last_date, "2023-03-02T23:00:00+01:00");
  EXPECT_DOUBLE_EQ(r.series[Column::H][10], 0.1);
  EXPECT_DOUBLE_EQ(r.series[Column::SEEPT][1], -0.8);
  // Without a calendar (numeric records, no origin) there is no date column.
  const CaseResults plain = parse_case_results(
      "time (h),head (ft),seepage (ft^2/h),total seepage (ft^3/h),bank storage (ft^2),bank-storage volume (ft^3)\n"
      "0,0,0,0,0,0\n1,0.5,-1,-2,1,2\n");
  EXPECT_FALSE(plain.dated);
  EXPECT_EQ(plain.units.length, "ft");
  EXPECT_EQ(plain.series.rows_read, 2u);
}

TEST(CaseResults, MalformedFilesRefusedWithTheirLine) {
  const std::string good = results_text(3);  // header on line 3, rows on lines 4 to 6
  const struct {
    std::string text, message;
  } cases[] = {
      {"# only an account\n", "line 1: no header line"},
      {good.substr(0, good.find("time (")) + "time (d),date,head (m),seepage\n", "line 3: the header 'time (d),date"},
      {good + "3,2023-03-01T03:00:00+01:00,1,2,3,4\n", "line 7: holds 6 fields where the header names 7"},
      {good + "3,2023-03-01T03:00:00+01:00,1,2,x,4,5\n", "line 7: field 5, 'x', is not a number"},
      {good + "3,2023-03-01T03:00:00,1,2,3,4,5\n",
       "line 7: the date '2023-03-01T03:00:00' is not ISO 8601 with its offset"},
      {good + "3,2023-02-30T03:00:00+01:00,1,2,3,4,5\n", "line 7: the date '2023-02-30T03:00:00+01:00'"},
      {good + "3,2023-03-01T03:00:00+01:00,1,2,3,4,\n", "line 7: field 7, '', is not a number"},
      {good + std::string("3,\0", 3) + "\n", "line 7: column 3: byte 0x00 is not text"},
  };
  for (const auto& c : cases) {
    try {
      (void)parse_case_results(c.text);
      ADD_FAILURE() << "taken: " << c.message;
    } catch (const PlotFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(CaseResults, TheProgramDrawsThemOnTheCalendar) {
  const testing::TempFile results("results.csv", results_text(24 * 10));
  const std::string svg = results.path() + ".svg";
  const testing::Outcome o = testing::run_kesta_plot("'" + results.path() + "' '" + svg + "'");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("3 panels, 240 time steps"), std::string::npos) << o.out;
  const std::string picture = testing::file_text(svg);
  std::remove(svg.c_str());
  // Ten days: a tick each day, labelled month-day, the year under the first.
  for (const std::string label : {">03-01<", ">03-05<", ">03-10<", ">2023<", ">Date (UTC+01:00)<", "KESTA case results",
                                  "from 2023-03-01T00:00:00+01:00 to 2023-03-10T23:00:00+01:00", ">SEEP (m\u00b2/d)<"})
    EXPECT_NE(picture.find(label), std::string::npos) << label;

  const testing::TempFile broken("broken.csv", results_text(5) + "5,2023-03-01T05:00:00+01:00,1,2,3,4\n");
  const testing::Outcome refused = testing::run_kesta_plot("'" + broken.path() + "' '" + svg + "'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "kesta-plot: " + broken.path() + ": line 9: holds 6 fields where the header names 7\n");
  EXPECT_EQ(testing::file_text(svg), "");  // nothing written

  const testing::Outcome table = testing::run_kesta_plot("--csv t.csv '" + results.path() + "'");
  EXPECT_EQ(table.status, 2);
  EXPECT_NE(table.err.find("--deck and --csv are for plot files"), std::string::npos) << table.err;
}

}  // namespace
}  // namespace kesta::plot
