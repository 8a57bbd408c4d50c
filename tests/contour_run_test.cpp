// Every example run by the contour inversion as a user runs it, against the
// Stehfest goldens: the same report but for one line under NS and the result
// rows, no warning, rows within the Stehfest error of the goldens' and, where a
// closed form exists, within half a unit of the last printed digit of it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "closed_forms.hpp"
#include "golden_data.hpp"
#include "kesta/kesta.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

constexpr const char* kContourLine = "   INVERTED BY THE CONTOUR INTEGRAL: NS IS NOT USED\r\n";
constexpr std::size_t kRowBytes = 77;  // one result row of the report, line end included

// The golden report with the contour's line under NS and without its result rows.
std::string expected_report_head(const std::string& golden, std::size_t rows) {
  std::string head = golden.substr(0, golden.size() - rows * kRowBytes);
  const std::size_t ns_line = head.find("NUMBER OF STEHFEST TERMS (NS):");
  return head.insert(head.find('\n', ns_line) + 1, kContourLine);
}

// The confined decks whose closed forms tests/closed_forms.hpp holds: the exact
// unit step response (head, seepage gradient) at dimensionless time t.
struct ClosedForm {
  std::string example;
  std::function<Exact(const ExampleDeck&, double)> exact;
};

const ClosedForm kClosedForms[] = {
    {"unit-step-confined", [](const ExampleDeck& d, double t) { return half_space(d.X / d.XZERO - 1.0, t); }},
    {"flood-wave-confined", [](const ExampleDeck& d, double t) { return half_space(d.X / d.XZERO - 1.0, t); }},
    {"flood-wave-streambank",
     [](const ExampleDeck& d, double t) { return behind_streambank(d.X / d.XZERO - 1.0, d.XZERO / d.XAA, t); }},
    {"daily-stage-record", [](const ExampleDeck& d, double t) { return half_space(d.X / d.XZERO - 1.0, t); }},
};

// Head and seepage of every row superposed from the exact responses over the
// stage changes, with the last printed digit as the only allowance.
void expect_closed_form(const std::string& name, const std::vector<PlotRow>& rows) {
  for (const auto& [example, exact] : kClosedForms) {
    if (example != name) continue;
    const ExampleDeck d = read_example_deck(name);
    const double seepage_scale = d.AK * d.AB / d.XZERO;
    for (std::size_t k = 1; k < rows.size(); ++k) {
      double head = d.HINIT, seepage = 0.0, changes = 0.0;
      for (std::size_t m = 1; m <= k; ++m) {
        const double change = d.STAGE[m] - d.STAGE[m - 1];
        const double t = d.AK * (static_cast<double>(k - m + 1) * d.DELT) / (d.AS * d.XZERO * d.XZERO);
        const Exact unit = exact(d, t);
        head += change * unit.head;
        seepage += change * unit.seepage;
        changes += std::abs(change);
      }
      // Rounding of both sums in double precision, far below any printed digit.
      const double rounding = 1e-11 * changes;
      EXPECT_NEAR(rows[k].head.value, head, rows[k].head.half_unit + rounding) << name << " row " << k + 1;
      EXPECT_NEAR(rows[k].seep.value, seepage_scale * seepage, rows[k].seep.half_unit + seepage_scale * rounding)
          << name << " row " << k + 1;
    }
  }
}

class ContourRun : public ::testing::TestWithParam<std::string> {};

TEST_P(ContourRun, ReportIsTheGoldensButForTheNsLineAndTheRows) {
  const std::string& name = GetParam();
  TempFolder folder;
  write_file(folder / (name + ".dat"), read_file(example_deck_path(name)));
  const RunResult run = run_kesta_with(folder, {"--inversion", "contour", name + ".dat", "results.txt", "plot.txt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");  // the contour's own error check finds every digit right

  const std::vector<PlotRow> golden = read_golden_plot(name);
  const std::string report = read_file(folder / "results.txt");
  ASSERT_GT(report.size(), golden.size() * kRowBytes);
  EXPECT_EQ(report.substr(0, report.size() - golden.size() * kRowBytes),
            expected_report_head(read_file(golden_report_path(name)), golden.size()));
  const std::string plot = read_file(folder / "plot.txt");
  const std::string golden_plot = read_file(golden_plot_path(name));
  EXPECT_EQ(plot.substr(0, plot.find('\n')), golden_plot.substr(0, golden_plot.find('\n')));

  // Stehfest's printed value minus the contour's is the Stehfest error, up to
  // the rounding of each to its printed digits.
  const std::vector<PlotRow> rows = read_plot_rows(plot);
  ASSERT_EQ(rows.size(), golden.size());
  const InversionError error = inversion_error(read_deck(example_deck_path(name)));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k].time.value, golden[k].time.value);
    EXPECT_NEAR(rows[k].head.value, golden[k].head.value,
                1.01 * std::abs(error.head[k]) + rows[k].head.half_unit + golden[k].head.half_unit)
        << "row " << k + 1;
    EXPECT_NEAR(rows[k].seep.value, golden[k].seep.value,
                1.01 * std::abs(error.seepage[k]) + rows[k].seep.half_unit + golden[k].seep.half_unit)
        << "row " << k + 1;
  }
  expect_closed_form(name, rows);
}

// A finite aquifer long after one rise of stage: its seepage decays
// exponentially below the contour's error floor, about 1e-15 of the first
// values. The run warns, naming the values and which of them are noise.
TEST(ContourRunWarning, SeepageBelowTheContoursFloorIsNamed) {
  std::string deck =
      "Finite aquifer long after one rise of stage\nseepage decays far below its first values\n"
      "0  1.0  1\n1  0  0\n1.0  3.0  0.0  1.0\n1.0  1.0  1.0\n0.0  0.0  0.0  0.0\n2.0  0.0  0.0\n10\n60\n";
  for (int i = 0; i < 60; ++i) deck += std::to_string(i) + (i == 0 ? " 0.0 0.0\n" : " 1.0 0.0\n");
  TempFolder folder;
  write_file(folder / "drain.dat", deck);
  const RunResult run = run_kesta_with(folder, {"--inversion", "contour", "drain.dat", "results.txt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.err.starts_with(
      "kesta: warning: the contour inversion's error exceeds half a unit of the last printed digit\n"
      "kesta: warning: seepage: "))
      << run.err;
  // The last values, once the seepage has sunk below about 1e-15 of its first.
  EXPECT_NE(run.err.find(" to 59 are below the inversion's error floor ("), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("head:"), std::string::npos) << run.err;  // the heads hold their digits
  EXPECT_EQ(run.err.find("NS"), std::string::npos) << run.err;     // no order to change
}

INSTANTIATE_TEST_SUITE_P(Examples, ContourRun, ::testing::ValuesIn(example_names()),
                         [](const auto& info) { return test_id(info.param); });

}  // namespace
}  // namespace kesta::testing
