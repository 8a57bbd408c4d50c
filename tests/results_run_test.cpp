// The results section of a complete run of the built program: the worked unit
// rise, one step, no steps, and the report with and without a plot file.
#include <algorithm>

#include <gtest/gtest.h>

#include "report_text.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

// A unit rise of stage at the end of the first step, confined semi-infinite
// aquifer, XZERO = AK = AS = AB = 1, well at X = 2, NS = 10.
std::string unit_rise_deck(const std::string& nt_line, const std::vector<std::string>& stress) {
  std::string deck = "Unit rise\nworked case\n0 1.0 0\n0 0 0\n1 0 0 1\n1 1 1\n0 0 0 0\n2 0 0\n10\n" + nt_line + "\n";
  for (const std::string& s : stress) deck += s + "\n";
  return deck;
}

const std::string kColumnHeadings = crlf({
    "",
    "                                           TOTAL       BANK     BANK-STORAGE",
    "      TIME         HEAD       SEEPAGE     SEEPAGE     STORAGE      VOLUME",
    "      (T)          (L)        (L**2/T)    (L**3/T)     (L**2)      (L**3)",
    "      ----         ----      ----------  ----------    -------      ------",
});
const std::string kPlotHeader = "        T            H          SEEP        SEEPT       BANK        BANKV\r\n";
const std::string kResultsHeading =
    crlf({"", "", "", std::string(38, ' ') + "RESULTS", std::string(38, ' ') + "-------", ""});

struct Outputs {
  RunResult run;
  std::string report, plot;
};

Outputs run_with_plot(const std::string& deck, bool plot) {
  TempFolder dir;
  write_file(dir / "deck.dat", deck);
  Outputs o;
  o.run = run_kesta(dir, plot ? "deck.dat\nresults.txt\nplot.txt\n" : "deck.dat\nresults.txt\n\n");
  o.report = read_file(dir / "results.txt");
  if (plot) o.plot = read_file(dir / "plot.txt");
  return o;
}

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The worked example's rows, as the results table gives them.
TEST(ResultsRun, WorkedUnitRiseRowByRow) {
  const Outputs o = run_with_plot(unit_rise_deck("4", {"0 0 0", "1 1 0", "2 1 0", "3 1 0"}), true);
  ASSERT_EQ(o.run.status, 0) << o.run.err;
  const std::vector<std::string> rows = {
      "  0.000000D+00  0.00000D+00  0.0000D+00  0.0000D+00  0.0000D+00  0.0000D+00",
      "  0.100000D+01  0.47950D+00  -.5642D+00  -.1128D+01  0.5642D+00  0.1128D+01",
      "  0.200000D+01  0.61709D+00  -.3989D+00  -.7979D+00  0.9631D+00  0.1926D+01",
      "  0.300000D+01  0.68310D+00  -.3257D+00  -.6515D+00  0.1289D+01  0.2578D+01",
  };
  EXPECT_TRUE(ends_with(o.report, kResultsHeading + kColumnHeadings + crlf(rows))) << o.report;
  std::vector<std::string> plot_rows;
  for (std::string row : rows) {
    for (char& c : row)
      if (c == 'D') c = 'E';
    plot_rows.push_back(row);
  }
  EXPECT_EQ(o.plot, kPlotHeader + crlf(plot_rows));  // five lines: header and four rows
}

TEST(ResultsRun, OneStepIsTheInitialState) {
  const Outputs o = run_with_plot(unit_rise_deck("1", {"0 5 0"}), true);
  ASSERT_EQ(o.run.status, 0);
  const std::string row = "  0.000000D+00  0.00000D+00  0.0000D+00  0.0000D+00  0.0000D+00  0.0000D+00";
  EXPECT_TRUE(ends_with(o.report, kColumnHeadings + crlf({row})));
  EXPECT_EQ(o.plot,
            kPlotHeader + crlf({"  0.000000E+00  0.00000E+00  0.0000E+00  0.0000E+00  0.0000E+00  0.0000E+00"}));
}

TEST(ResultsRun, NoStepsEndsWithTheColumnHeadings) {
  const Outputs o = run_with_plot(unit_rise_deck("0", {}), true);
  ASSERT_EQ(o.run.status, 0);
  EXPECT_NE(o.run.out.find("   Calculating aquifer responses ..."), std::string::npos);
  EXPECT_TRUE(ends_with(o.report, kResultsHeading + kColumnHeadings));
  EXPECT_EQ(o.plot, kPlotHeader);
}

TEST(ResultsRun, ReportIsTheSameWithoutAPlotFile) {
  const std::string deck = unit_rise_deck("6", {"0 0 0", "1 1 0", "2 3 0", "3 2 0", "4 2.5 0", "5 -1 0"});
  const Outputs with = run_with_plot(deck, true);
  const Outputs without = run_with_plot(deck, false);
  ASSERT_EQ(with.run.status, 0);
  ASSERT_EQ(without.run.status, 0);
  EXPECT_EQ(with.report, without.report);
  EXPECT_EQ(std::count(with.plot.begin(), with.plot.end(), '\n'), 7);
}

}  // namespace
}  // namespace kesta::testing
