// The goldens judged on their own: balances that hold for every run, closed-form
// solutions of the confined aquifer, the steady limits of the leaky aquifers and
// the superposition of stage and recharge under a water-table aquitard. Every
// comparison allows the printed precision of the golden (half a unit in the last
// printed digit) plus, where the model is compared with an exact solution, the
// error of the Stehfest inversion argued below.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "golden_data.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

using std::numbers::pi;

// ---------------------------------------------------------------- every example

class GoldenBalances : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    deck = read_example_deck(GetParam());
    rows = read_golden_plot(GetParam());
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(deck.NT));
  }
  ExampleDeck deck;
  std::vector<PlotRow> rows;
};

TEST_P(GoldenBalances, RowsAreTheEquallySpacedTimeStepsFromTheInitialState) {
  for (std::size_t k = 0; k < rows.size(); ++k)
    EXPECT_NEAR(rows[k].time.value, deck.TINIT + static_cast<double>(k) * deck.DELT, rows[k].time.half_unit) << k;
  EXPECT_NEAR(rows[0].head.value, deck.HINIT, rows[0].head.half_unit);
  for (double v : {rows[0].seep.value, rows[0].seept.value, rows[0].bank.value, rows[0].bankv.value}) EXPECT_EQ(v, 0.0);
}

// Total seepage and bank-storage volume count both banks over the whole stream length.
TEST_P(GoldenBalances, TotalsAreTwiceTheStreamLengthTimesThePerLengthValues) {
  const double both_banks = 2.0 * deck.XSTREAM;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const PlotRow& r = rows[k];
    EXPECT_NEAR(r.seept.value, both_banks * r.seep.value, r.seept.half_unit + both_banks * r.seep.half_unit) << k;
    EXPECT_NEAR(r.bankv.value, both_banks * r.bank.value, r.bankv.half_unit + both_banks * r.bank.half_unit) << k;
  }
}

// Water that seeps out of the banks leaves bank storage: storage is minus the
// running sum of seepage times the time step. The printed seepage carries half
// a unit of its last digit into every term of the sum.
TEST_P(GoldenBalances, BankStorageIsMinusTheRunningSumOfSeepage) {
  double sum = 0.0, carried = 0.0;
  for (std::size_t k = 1; k < rows.size(); ++k) {
    sum -= rows[k].seep.value * deck.DELT;
    carried += rows[k].seep.half_unit * deck.DELT;
    ASSERT_NEAR(rows[k].bank.value, sum, carried + rows[k].bank.half_unit) << "row " << k + 1;
  }
}

// The plot file holds the report's numbers, with E where the report has D.
TEST_P(GoldenBalances, PlotRowsAreTheReportRows) {
  const std::string report = read_file(golden_report_path(GetParam()));
  const std::string plot = read_file(golden_plot_path(GetParam()));
  std::string report_rows = report.substr(report.size() - rows.size() * 77);
  std::replace(report_rows.begin(), report_rows.end(), 'D', 'E');
  EXPECT_EQ(report_rows, plot.substr(plot.find('\n') + 1));
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenBalances, ::testing::ValuesIn(example_names()),
                         [](const auto& info) { return test_id(info.param); });

// ------------------------------------------------------ closed-form solutions

// exp(z²)·erfc(z) without overflow; the asymptotic series beyond z = 26, where
// its fourth term is below 1e-7 of the first.
double erfcx(double z) {
  if (z < 26.0) return std::exp(z * z) * std::erfc(z);
  const double w = 1.0 / (2.0 * z * z);
  return (1.0 - w + 3.0 * w * w - 15.0 * w * w * w) / (z * std::sqrt(pi));
}

// Unit rise of stage at dimensionless time 0: head at the well and seepage
// gradient at the streambank, as exact functions of dimensionless time.
struct UnitResponse {
  std::function<double(double)> head, seepage;
};

// Confined, semi infinite, no streambank (heat conduction into a half space).
UnitResponse half_space(const ExampleDeck& d) {
  const double xd = d.X / d.XZERO - 1.0;
  return {[xd](double t) { return std::erfc(xd / (2.0 * std::sqrt(t))); },
          [](double t) { return -1.0 / std::sqrt(pi * t); }};
}

// Confined, semi infinite, semipervious streambank of dimensionless leakance A:
// the half space behind a surface resistance, b = 1/A.
UnitResponse half_space_behind_streambank(const ExampleDeck& d) {
  const double xd = d.X / d.XZERO - 1.0, b = d.XZERO / d.XAA;
  return {[xd, b](double t) {
            const double z = xd / (2.0 * std::sqrt(t));
            return std::erfc(z) - std::exp(-z * z) * erfcx(z + b * std::sqrt(t));
          },
          [b](double t) { return -b * erfcx(b * std::sqrt(t)); }};
}

// Confined, finite width L (streambank to a no-flow valley wall): images of the
// half-space solution reflected at the wall and the stream, signs alternating.
UnitResponse strip_to_a_wall(const ExampleDeck& d) {
  const double L = d.XLL / d.XZERO - 1.0, xd = d.X / d.XZERO - 1.0;
  return {[L, xd](double t) {
            const double s = 2.0 * std::sqrt(t);
            double sum = 0.0;
            for (int n = 0; 2.0 * n * L / s < 7.0; ++n)  // erfc(7) < 5e-23
              sum += (n % 2 == 0 ? 1.0 : -1.0) *
                     (std::erfc((2.0 * n * L + xd) / s) + std::erfc((2.0 * (n + 1) * L - xd) / s));
            return sum;
          },
          [L](double t) {
            double theta = 1.0;
            for (int n = 1; n * n * L * L / t < 50.0; ++n)  // exp(-50) < 2e-22
              theta += 2.0 * (n % 2 == 0 ? 1.0 : -1.0) * std::exp(-n * n * L * L / t);
            return -theta / std::sqrt(pi * t);
          }};
}

// Error allowed per unit stress change for the NS-term inversion, as the sum of
// its truncation error (from 40-digit evaluations of the Stehfest sum against
// the exact solution) and its rounding in double precision, bounded by four
// rounded operations per term: 4 · 2.2e-16 · Σ|V(i)|, with Σ|V(i)| = 1.25e6,
// 2.86e7, 6.54e8, 1.49e10 for NS = 10, 12, 14, 16 (exact weights).
struct InversionError {
  double head;              // absolute, per unit change of stage
  double seepage_relative;  // relative to the exact seepage gradient of each step
  double seepage_absolute;  // absolute, in dimensionless seepage gradient
};

struct ClosedFormCase {
  std::string example;
  std::function<UnitResponse(const ExampleDeck&)> exact;
  InversionError error;
};

// Half space: the truncation error of erfc depends on (XD−1)/(2·sqrt(TD)) alone,
// its maximum over [0, 8] is 1.72e-4 (NS 10), 1.34e-5 (NS 14) and 4.01e-6 (NS 16);
// the seepage 1/sqrt(p) is inverted exactly up to the factor
// sqrt(π·ln2)·Σ V(i)/sqrt(i), 1 + 1.24e-6 (NS 10), 1 − 9.8e-8 (NS 14), 1 + 7.3e-9 (NS 16).
// Streambank and strip: maxima over the lags of the deck itself.
const ClosedFormCase kClosedForms[] = {
    {"unit-step-confined", half_space, {1.72e-4 + 1.1e-9, 1.24e-6 + 1.1e-9, 0.0}},
    {"flood-wave-confined", half_space, {1.34e-5 + 5.8e-7, 9.8e-8 + 5.8e-7, 0.0}},
    // Streambank, NS 14, 80 lags of TD = 38.4: 9.02e-6 in head, 4.72e-7 relative in seepage.
    {"flood-wave-streambank", half_space_behind_streambank, {9.02e-6 + 5.8e-7, 4.72e-7 + 5.8e-7, 0.0}},
    // Strip, NS 12, 80 lags of TD = 50: 1.64e-4 in head, 1.31e-5 in seepage gradient
    // (the late, exponentially settling part is what the inversion renders worst).
    {"finite-width-confined", strip_to_a_wall, {1.64e-4 + 2.6e-8, 0.0, 1.31e-5 + 2.6e-8}},
    {"daily-stage-record", half_space, {4.01e-6 + 1.32e-5, 7.3e-9 + 1.32e-5, 0.0}},
};

void PrintTo(const ClosedFormCase& c, std::ostream* os) { *os << c.example; }

class GoldenClosedForm : public ::testing::TestWithParam<ClosedFormCase> {};

// Head and seepage superposed over the stage changes of the deck: the change
// between lines m and m+1 acts as a unit step times its size from that time on.
TEST_P(GoldenClosedForm, HeadAndSeepageAreTheSuperposedExactSolutions) {
  const ClosedFormCase& c = GetParam();
  const ExampleDeck d = read_example_deck(c.example);
  const std::vector<PlotRow> rows = read_golden_plot(c.example);
  ASSERT_EQ(d.ISTRESS, 0);
  const UnitResponse unit = c.exact(d);
  const double seepage_scale = d.AK * d.AB / d.XZERO;  // transmissivity over stream half width

  std::vector<double> rh(rows.size()), rq(rows.size());  // by lag
  for (std::size_t j = 1; j < rows.size(); ++j) {
    const double td = d.AK * (static_cast<double>(j) * d.DELT) / (d.AS * d.XZERO * d.XZERO);
    rh[j] = unit.head(td);
    rq[j] = unit.seepage(td);
  }
  for (std::size_t k = 1; k < rows.size(); ++k) {
    double head = d.HINIT, seep = 0.0, head_allowance = 0.0, seep_allowance = 0.0;
    for (std::size_t m = 1; m <= k; ++m) {
      const double change = d.STAGE[m] - d.STAGE[m - 1];
      const std::size_t lag = k - m + 1;
      head += change * rh[lag];
      seep += change * rq[lag];
      head_allowance += std::abs(change) * c.error.head;
      seep_allowance += std::abs(change) * (c.error.seepage_relative * std::abs(rq[lag]) + c.error.seepage_absolute);
    }
    ASSERT_NEAR(rows[k].head.value, head, rows[k].head.half_unit + head_allowance) << c.example << " row " << k + 1;
    ASSERT_NEAR(rows[k].seep.value, seepage_scale * seep, rows[k].seep.half_unit + seepage_scale * seep_allowance)
        << c.example << " row " << k + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Confined, GoldenClosedForm, ::testing::ValuesIn(kClosedForms),
                         [](const auto& info) { return test_id(info.param.example); });

// ------------------------------------------------------------- steady limits

double net_change(const std::vector<double>& series) { return series.back() - series.front(); }

// The water-table trio and the aquifer under an impervious layer are closed at
// the valley wall: once the last change has spread through the aquifer and its
// aquitard the head at the well equals the initial head plus the net change of
// stage and recharge, and seepage has died away. Their last change lies 60 days
// (impervious layer) and 300 days (water table) before the end, many times the
// slowest settling times (about 8 and 12 days), so what is left of the transient
// is below e^-7 of the change; the inversion adds at most 1.7e-5 per unit (NS 16).
class GoldenSettled : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenSettled, HeadReachesTheNetChangeAndSeepageDiesAway) {
  const ExampleDeck d = read_example_deck(GetParam());
  const std::vector<PlotRow> rows = read_golden_plot(GetParam());
  ASSERT_EQ(d.IXL, 1);
  const double stage = d.ISTRESS == 1 ? 0.0 : net_change(d.STAGE);
  const double recharge = d.ISTRESS == 0 ? 0.0 : net_change(d.RECH);
  const double change = stage + recharge;
  const PlotRow& last = rows.back();
  EXPECT_NEAR(last.head.value, d.HINIT + change, last.head.half_unit + std::abs(change) * (std::exp(-7.0) + 1.7e-5));
  double peak = 0.0;
  for (const PlotRow& r : rows) peak = std::max(peak, std::abs(r.seep.value));
  EXPECT_LT(std::abs(last.seep.value), std::exp(-7.0) * peak);
}

INSTANTIATE_TEST_SUITE_P(ClosedValleys, GoldenSettled,
                         ::testing::Values("leaky-impervious-layer", "water-table-stage", "water-table-recharge",
                                           "water-table-stage-and-recharge"),
                         [](const auto& info) { return test_id(info.param); });

// Leaky aquifer under a constant-head source, semi infinite, with a streambank:
// a held rise of stage ΔS settles at head ΔS·exp(−GAMMA1·(XD−1))/(1 + XAAD·GAMMA1)
// and at a steady seepage gradient −ΔS·GAMMA1/(1 + XAAD·GAMMA1), the water that
// leaks up to the source. The rise ends at day 0.5; from day 25 on, more than
// fifteen times the aquitard's (AST·ABT²/AKT = 1.6 d) and the aquifer's leakage
// time (AS·AB·ABT/AKT = 0.8 d) have passed.
TEST(GoldenSteadyLeaky, ConstantHeadSourceHoldsHeadAndSeepage) {
  const ExampleDeck d = read_example_deck("leaky-constant-head");
  const std::vector<PlotRow> rows = read_golden_plot("leaky-constant-head");
  ASSERT_EQ(d.IAQ, 1);
  ASSERT_EQ(d.IXL, 0);
  const double gamma1 = (d.XZERO / d.ABT) * std::sqrt((d.AKT * d.ABT) / (d.AK * d.AB));
  const double xd = d.X / d.XZERO, xaad = d.XAA / d.XZERO;
  const double rise = net_change(d.STAGE);
  const double head = d.HINIT + rise * std::exp(-gamma1 * (xd - 1.0)) / (1.0 + xaad * gamma1);
  const double seep = (d.AK * d.AB / d.XZERO) * rise * (-gamma1 / (1.0 + xaad * gamma1));
  const double inversion = 1.7e-5 * std::abs(rise);  // NS 16, as for the settled valleys
  int checked = 0;
  for (const PlotRow& r : rows) {
    if (r.time.value < d.TINIT + 25.0) continue;
    EXPECT_NEAR(r.head.value, head, r.head.half_unit + inversion) << "day " << r.time.value;
    EXPECT_NEAR(r.seep.value, seep, r.seep.half_unit + (d.AK * d.AB / d.XZERO) * inversion) << "day " << r.time.value;
    ++checked;
  }
  EXPECT_EQ(checked, 21);
}

// ------------------------------------------------- stage and recharge together

// The model is linear: the run with both stresses is the sum of the run with the
// stage alone and the run with the recharge alone (same aquifer, same series).
// Each of the three printed values brings half a unit of its last digit.
TEST(GoldenSuperposition, StageAndRechargeRunIsTheSumOfTheSingleStressRuns) {
  const ExampleDeck both = read_example_deck("water-table-stage-and-recharge");
  const ExampleDeck stage = read_example_deck("water-table-stage");
  const ExampleDeck recharge = read_example_deck("water-table-recharge");
  ASSERT_EQ(both.STAGE, stage.STAGE);
  ASSERT_EQ(both.RECH, recharge.RECH);
  const auto a = read_golden_plot("water-table-stage");
  const auto b = read_golden_plot("water-table-recharge");
  const auto c = read_golden_plot("water-table-stage-and-recharge");
  ASSERT_EQ(a.size(), c.size());
  ASSERT_EQ(b.size(), c.size());
  auto expect_sum = [](const Printed& x, const Printed& y, const Printed& sum, double offset, std::size_t k) {
    EXPECT_NEAR(sum.value - offset, (x.value - offset) + (y.value - offset), x.half_unit + y.half_unit + sum.half_unit)
        << "row " << k + 1;
  };
  for (std::size_t k = 0; k < c.size(); ++k) {
    expect_sum(a[k].head, b[k].head, c[k].head, both.HINIT, k);
    expect_sum(a[k].seep, b[k].seep, c[k].seep, 0.0, k);
    expect_sum(a[k].seept, b[k].seept, c[k].seept, 0.0, k);
    expect_sum(a[k].bank, b[k].bank, c[k].bank, 0.0, k);
  }
}

}  // namespace
}  // namespace kesta::testing
