#include "report/results_report.hpp"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "io/record_editing.hpp"

#include "model/superposition.hpp"
#include "model_fixture.hpp"

namespace kesta {
namespace {

using testing::file_bytes;
using testing::fill_worked_example;
using testing::run_model;
using testing::temp_path;

struct Written {
  std::string report;
  std::string plot;
};

// Heading and table of a run, as they reach the report and the plot file.
Written write_results(const Results& results, bool with_plot) {
  const auto report_path = temp_path("report");
  const auto plot_path = temp_path("plot");
  {
    OutputUnit report, plot;
    EXPECT_FALSE(report.open(16, report_path.string()));
    if (with_plot) {
      EXPECT_FALSE(plot.open(17, plot_path.string()));
    }
    write_results_heading(report);
    write_results_table(results, report, with_plot ? &plot : nullptr);
    EXPECT_FALSE(report.close());
    EXPECT_FALSE(plot.close());
  }
  Written written{file_bytes(report_path), with_plot ? file_bytes(plot_path) : ""};
  std::filesystem::remove(report_path);
  std::filesystem::remove(plot_path);
  return written;
}

const std::string HEADING =
    "\r\n\r\n\r\n"
    "                                      RESULTS\r\n"
    "                                      -------\r\n"
    "\r\n";

const std::string COLUMN_HEADINGS =
    "\r\n"
    "                                           TOTAL       BANK     BANK-STORAGE\r\n"
    "      TIME         HEAD       SEEPAGE     SEEPAGE     STORAGE      VOLUME\r\n"
    "      (T)          (L)        (L**2/T)    (L**3/T)     (L**2)      (L**3)\r\n"
    "      ----         ----      ----------  ----------    -------      ------\r\n";

const std::string PLOT_HEADER = "        T            H          SEEP        SEEPT       BANK        BANKV\r\n";

Results worked_example_run() {
  Deck deck;
  fill_worked_example(deck);
  return run_model(deck).results;
}

TEST(ResultsTable, WorkedExampleReportAndPlotRows) {
  const Written written = write_results(worked_example_run(), true);
  // Worked example rows: D editing in the report, E editing in the plot file.
  EXPECT_EQ(written.report, HEADING + COLUMN_HEADINGS +
                                "  0.000000D+00  0.00000D+00  0.0000D+00  0.0000D+00  0.0000D+00  0.0000D+00\r\n"
                                "  0.100000D+01  0.47950D+00  -.5642D+00  -.1128D+01  0.5642D+00  0.1128D+01\r\n"
                                "  0.200000D+01  0.61709D+00  -.3989D+00  -.7979D+00  0.9631D+00  0.1926D+01\r\n"
                                "  0.300000D+01  0.68310D+00  -.3257D+00  -.6515D+00  0.1289D+01  0.2578D+01\r\n");
  EXPECT_EQ(written.plot, PLOT_HEADER +
                              "  0.000000E+00  0.00000E+00  0.0000E+00  0.0000E+00  0.0000E+00  0.0000E+00\r\n"
                              "  0.100000E+01  0.47950E+00  -.5642E+00  -.1128E+01  0.5642E+00  0.1128E+01\r\n"
                              "  0.200000E+01  0.61709E+00  -.3989E+00  -.7979E+00  0.9631E+00  0.1926E+01\r\n"
                              "  0.300000E+01  0.68310E+00  -.3257E+00  -.6515E+00  0.1289E+01  0.2578E+01\r\n");
}

TEST(ResultsTable, ReportIsTheSameWithoutPlotFile) {
  const Results results = worked_example_run();
  EXPECT_EQ(write_results(results, false).report, write_results(results, true).report);
}

TEST(ResultsTable, SingleStepShowsTheInitialState) {
  Deck deck;
  fill_worked_example(deck);
  deck.NT = 1;
  deck.HINIT = -2.5;
  deck.TINIT = 10.0;
  const Written written = write_results(run_model(deck).results, true);
  EXPECT_EQ(written.report, HEADING + COLUMN_HEADINGS +
                                "  0.100000D+02  -.25000D+01  0.0000D+00  0.0000D+00  0.0000D+00  0.0000D+00\r\n");
  EXPECT_EQ(written.plot,
            PLOT_HEADER + "  0.100000E+02  -.25000E+01  0.0000E+00  0.0000E+00  0.0000E+00  0.0000E+00\r\n");
}

TEST(ResultsTable, NoStepsLeaveHeadingsAlone) {
  Deck deck;
  fill_worked_example(deck);
  deck.NT = 0;
  const Written written = write_results(run_model(deck).results, true);
  EXPECT_EQ(written.report, HEADING + COLUMN_HEADINGS);
  EXPECT_EQ(written.plot, PLOT_HEADER);
}

TEST(ResultsTable, TimeComesFromTinitAndDeltNotTheDeck) {
  Deck deck;
  fill_worked_example(deck);
  deck.DELT = 0.5;
  deck.TIME = {1001.0, 1002.0, 1003.0, 1004.0};  // ignored
  const std::string report = write_results(run_model(deck).results, false).report;
  std::size_t at = HEADING.size() + COLUMN_HEADINGS.size();
  for (const char* time : {"  0.000000D+00", "  0.500000D+00", "  0.100000D+01", "  0.150000D+01"}) {
    EXPECT_EQ(report.substr(at, 14), time);
    at = report.find("\r\n", at) + 2;
  }
}

TEST(ResultsTable, LongRunRowsAreInStepOrderAndPlotRowsMirrorReportRows) {
  // More rows than one batch of edited rows (4096), with a step count that
  // leaves a remainder: 907 rows, and 127, one short of a chunk of 128.
  for (const int steps : {5003, 4223}) {
    SCOPED_TRACE(std::to_string(steps) + " steps");
    Deck deck;
    fill_worked_example(deck);
    deck.NT = steps;
    deck.TIME.assign(static_cast<std::size_t>(steps), 0.0);
    deck.RECH.assign(static_cast<std::size_t>(steps), 0.0);
    deck.STAGE.assign(static_cast<std::size_t>(steps), 0.0);
    for (int k = 1; k <= deck.NT; ++k) deck.STAGE[static_cast<std::size_t>(k - 1)] = std::sin(0.01 * k);
    const Written written = write_results(run_model(deck).results, true);

    std::size_t report_at = HEADING.size() + COLUMN_HEADINGS.size();
    std::size_t plot_at = PLOT_HEADER.size();
    for (int k = 1; k <= deck.NT; ++k) {
      const std::size_t report_end = written.report.find("\r\n", report_at);
      const std::size_t plot_end = written.plot.find("\r\n", plot_at);
      ASSERT_NE(report_end, std::string::npos) << k;
      ASSERT_NE(plot_end, std::string::npos) << k;
      std::string row = written.report.substr(report_at, report_end - report_at);
      ASSERT_EQ(row.size(), 75u) << k;
      // TINIT = 0, DELT = 1: the time field holds k - 1.
      EXPECT_EQ(edit_real(k - 1.0, 13, 6, 'D'), row.substr(1, 13)) << k;
      std::replace(row.begin(), row.end(), 'D', 'E');
      ASSERT_EQ(written.plot.substr(plot_at, plot_end - plot_at), row) << k;
      report_at = report_end + 2;
      plot_at = plot_end + 2;
    }
    EXPECT_EQ(report_at, written.report.size());
    EXPECT_EQ(plot_at, written.plot.size());
  }
}

}  // namespace
}  // namespace kesta
