// Bands on the fitted model's series: the delta method's width against a
// propagation done here by hand from the reported standard errors and
// correlations, the level, what the bands flag, and their file.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "fit/estimation/student_t.hpp"
#include "fit/output/text_report.hpp"
#include "fit/tests/fit_scenario.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

using testing::file_text;
using testing::TempFolder;

constexpr double kHeadNoise = 0.005;
constexpr double kSeepageNoise = 0.01;
const std::vector<testing::RecordPlan> kPlans = {{Kind::Head, 30.0, 2, kHeadNoise},
                                                 {Kind::Seepage, 0.0, 3, kSeepageNoise}};
constexpr const char* kTwo =
    "AK = { initial = 3.0, min = 0.1, max = 1000.0 }\nXAA = { initial = 100.0, min = 0.1, max = 1000.0 }\n";

FitSummary fit_folder(const TempFolder& folder, const std::string& parameters, const std::string& top,
                      const std::vector<testing::RecordPlan>& plans = kPlans) {
  const Deck truth = testing::flood_deck();
  testing::write_fit_folder(folder, truth, testing::records(truth, plans, 7, InversionMethod::Contour), parameters,
                            top);
  return kesta::fit(folder.path("fit.toml"));
}

const BandSeries& series(const Bands& b, const std::string& name) {
  for (const BandSeries& s : b.series)
    if (s.name == name) return s;
  throw std::runtime_error("no series " + name);
}

// The series of the fitted deck with one parameter's logarithm moved by
// `shift`, by the library's own simulate.
std::vector<double> simulated(const FitSummary& s, std::size_t moved, double shift, std::vector<double> Results::*out) {
  Deck deck = testing::flood_deck();
  deck.X = 30.0;
  for (std::size_t i = 0; i < s.estimates.size(); ++i) {
    const double v = s.estimates[i].value * (i == moved ? std::exp(shift) : 1.0);
    (s.estimates[i].name == "AK" ? deck.AK : deck.XAA) = v;
  }
  return simulate(deck, SimulateOptions{InversionMethod::Contour}).*out;
}

TEST(FitBands, DeltaMethodWidthMatchesAPropagationByHand) {
  const TempFolder folder;
  const FitSummary s = fit_folder(folder, kTwo, "");
  ASSERT_TRUE(s.converged);
  ASSERT_TRUE(s.bands.not_computed.empty());
  EXPECT_TRUE(s.bands.assumptions.empty());
  const double t = student_t_quantile(0.95, s.interval_degrees_of_freedom);
  const struct {
    const char* name;
    std::vector<double> Results::*values;
    bool predicted;
    double noise;  // of the records made, in the series' units
  } cases[] = {{"head_x30", &Results::head, true, kHeadNoise},
               {"seepage", &Results::seepage, true, kSeepageNoise},
               {"total_seepage", &Results::total_seepage, false, 0.0},
               {"bank_volume", &Results::bank_volume, false, 0.0}};
  // A step ten times smaller than the fit's, so that the two derivatives are
  // taken independently.
  const double h = 1e-4;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const BandSeries& b = series(s.bands, c.name);
    std::vector<std::vector<double>> column;
    for (std::size_t i = 0; i < 2; ++i) {
      const std::vector<double> up = simulated(s, i, h, c.values), down = simulated(s, i, -h, c.values);
      std::vector<double> d;
      for (std::size_t k = 0; k < up.size(); ++k) d.push_back((up[k] - down[k]) / (2 * h));
      column.push_back(d);
    }
    // Covariance of the logarithms from the report's standard errors and correlation.
    const double sd[] = {*s.estimates[0].std_error / s.estimates[0].value,
                         *s.estimates[1].std_error / s.estimates[1].value};
    const double r = *s.correlation[0][1];
    double largest = 0.0;
    for (std::size_t k = 0; k < b.estimate.size(); ++k) largest = std::max(largest, b.conf_upper[k] - b.estimate[k]);
    ASSERT_GT(largest, 0.0);
    for (std::size_t k = 0; k < b.estimate.size(); ++k) {
      const double g0 = column[0][k] * sd[0], g1 = column[1][k] * sd[1];
      const double by_hand = t * std::sqrt(g0 * g0 + g1 * g1 + 2 * r * g0 * g1);
      EXPECT_NEAR(b.conf_upper[k] - b.estimate[k], by_hand, 1e-3 * largest) << "step " << k;
      EXPECT_NEAR(b.estimate[k] - b.conf_lower[k], by_hand, 1e-3 * largest) << "step " << k;
    }
    ASSERT_EQ(b.noise_variance.has_value(), c.predicted);
    if (!c.predicted) continue;
    // The prediction band adds the record's noise, which the residuals
    // recover to within the spread of a few dozen samples.
    EXPECT_GT(*b.noise_variance, 0.5 * c.noise * c.noise);
    EXPECT_LT(*b.noise_variance, 2.0 * c.noise * c.noise);
    for (std::size_t k = 0; k < b.estimate.size(); ++k) {
      const double conf = (b.conf_upper[k] - b.estimate[k]) / t, pred = (b.pred_upper[k] - b.estimate[k]) / t;
      EXPECT_NEAR(pred * pred, conf * conf + *b.noise_variance, 1e-9 * (1.0 + pred * pred));
    }
  }
}

TEST(FitBands, WidenWithTheLevel) {
  double before = 0.0;
  for (const double level : {0.5, 0.8, 0.95, 0.99}) {
    SCOPED_TRACE(level);
    const TempFolder folder;
    const FitSummary s = fit_folder(folder, kTwo, "bands = { level = " + std::to_string(level) + " }\n");
    EXPECT_DOUBLE_EQ(s.bands.level, level);
    const BandSeries& head = series(s.bands, "head_x30");
    const std::size_t k = head.estimate.size() / 2;
    const double width = head.pred_upper[k] - head.pred_lower[k];
    EXPECT_GT(width, before);
    EXPECT_GT(width, head.conf_upper[k] - head.conf_lower[k]);
    before = width;
  }
}

// What the data do not fix is said beside the bands, never left out silently.
TEST(FitBands, WhatTheDataDoNotFixIsFlagged) {
  const struct {
    const char* name;
    std::string parameters;
    std::vector<testing::RecordPlan> plans;
    std::vector<std::string> assumptions;
  } cases[] = {
      // The truth is AK = 10: a bound at 5 holds it.
      {"at its bound",
       "AK = { initial = 3.0, min = 0.1, max = 5.0 }\nXAA = { initial = 100.0, min = 0.1, max = 1000.0 }\n",
       kPlans,
       {"AK fixed at its bound (max)"}},
      // Heads alone see AK and AS only through AK/AS.
      {"not separable",
       "AK = { initial = 3.0 }\nAS = { initial = 3e-5 }\n",
       {kPlans[0]},
       {"AK held where the fit left it along what the data do not determine",
        "AS held where the fit left it along what the data do not determine"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    const FitSummary s = fit_folder(folder, c.parameters, "", c.plans);
    ASSERT_TRUE(s.bands.not_computed.empty()) << s.bands.not_computed;
    EXPECT_EQ(s.bands.assumptions, c.assumptions);
    std::ostringstream report;
    write_text_report(s, report);
    // The report wraps its lines: read them joined.
    std::string text = report.str();
    for (auto at = text.find("\n  "); at != std::string::npos; at = text.find("\n  ", at)) text.replace(at, 3, " ");
    EXPECT_NE(text.find("Bands: 95 % confidence and prediction bands in " + s.files.bands + "; the bands assume " +
                        c.assumptions[0]),
              std::string::npos)
        << text;
  }
}

TEST(FitBands, FileHasTheTimeThenEachSeriesWithItsBands) {
  const TempFolder folder;
  const FitSummary s = fit_folder(folder, kTwo, "");
  const std::string csv = file_text(folder.path("fit.bands.csv"));
  const std::string header = csv.substr(0, csv.find('\n'));
  EXPECT_EQ(header,
            "time,head_x30_estimate,head_x30_conf_lower,head_x30_conf_upper,head_x30_pred_lower,head_x30_pred_upper,"
            "seepage_estimate,seepage_conf_lower,seepage_conf_upper,seepage_pred_lower,seepage_pred_upper,"
            "total_seepage_estimate,total_seepage_conf_lower,total_seepage_conf_upper,"
            "bank_storage_estimate,bank_storage_conf_lower,bank_storage_conf_upper,"
            "bank_volume_estimate,bank_volume_conf_lower,bank_volume_conf_upper");
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  std::size_t rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 19) << line;  // 20 columns
  }
  EXPECT_EQ(rows, s.bands.time.size());
  EXPECT_EQ(rows, static_cast<std::size_t>(testing::flood_deck().NT));
}

TEST(FitBands, AnUnfinishedFitGetsNoBands) {
  const TempFolder folder;
  const FitSummary s = fit_folder(folder, kTwo, "[solver]\nmax_iterations = 1\n");
  ASSERT_FALSE(s.converged);
  EXPECT_EQ(s.bands.not_computed, "the fit did not converge");
  const std::string csv = file_text(folder.path("fit.bands.csv"));
  const std::string first = csv.substr(csv.find('\n') + 1, csv.find('\n', csv.find('\n') + 1) - csv.find('\n') - 1);
  // time and the estimate, then empty band fields
  EXPECT_NE(first.find(",,,,"), std::string::npos) << first;
  std::ostringstream report;
  write_text_report(s, report);
  EXPECT_NE(report.str().find("Bands: not computed (the fit did not converge)"), std::string::npos);
}

}  // namespace
}  // namespace kesta::fit_detail
