// The ensemble route to the bands on fits of the real model: agreement with
// the delta method where the model is close to linear, the warning where it
// is far from it, the seed, and the fit file's ensemble keys.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "fit/case/ensemble_bands.hpp"
#include "fit/case/fitted_bands.hpp"
#include "fit/estimation/ensemble_band.hpp"
#include "fit/input/fit_file.hpp"
#include "fit/output/json_report.hpp"
#include "fit/output/text_report.hpp"
#include "fit/tests/fit_scenario.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

using testing::TempFolder;

struct Fitted {
  FitCase fit_case;
  LeastSquaresFit fit;
};

// The flood deck's records (head at 30 m every `every` steps with noise
// `head_noise`, seepage every third step with noise 0.01), fitted for `parameters`.
Fitted fitted(const testing::ParameterPlan& parameters, double head_noise, int every, bool seepage = true) {
  const Deck truth = testing::flood_deck();
  std::vector<testing::RecordPlan> plans = {{Kind::Head, 30.0, every, head_noise}};
  if (seepage) plans.push_back({Kind::Seepage, 0.0, 3, 0.01});
  FitCase c = testing::memory_case(truth, testing::records(truth, plans, 7, InversionMethod::Contour), parameters);
  LeastSquaresFit fit = testing::run_case(c);
  return {std::move(c), std::move(fit)};
}

Bands both_routes(const Fitted& f, int members, unsigned seed) {
  const BandRuns model(f.fit_case.deck, f.fit_case, band_distances(DeckModel(f.fit_case), f.fit_case.file));
  Bands bands = fitted_bands(f.fit_case, model, f.fit, 0.95);
  add_ensemble_bands(f.fit_case, model, f.fit, members, seed, bands);
  return bands;
}

// Where the series are close to linear over the parameters' spread, the
// ensemble's percentile band is the delta band up to its chance error: each
// edge within four chance errors of the ensemble's size (the comparison takes
// the largest over all steps and both edges), plus 2 % for what little
// curvature there is. HINIT moves head by itself and nothing else, exactly
// linearly; AK and XAA from precise records move little.
TEST(EnsembleBands, AgreeWithTheDeltaBandWhereTheModelIsNearlyLinear) {
  constexpr int kMembers = 2000;
  const struct {
    const char* name;
    testing::ParameterPlan parameters;
    double head_noise;
    std::vector<std::string> compared;
  } cases[] = {
      {"HINIT, linear", {{"HINIT", {0.1, -5.0, 5.0}}}, 0.005, {"head_x30"}},
      {"AK and XAA, precise records",
       {{"AK", {3.0, 0.1, 1000.0}}, {"XAA", {100.0, 0.1, 1000.0}}},
       0.002,
       {"head_x30", "seepage", "total_seepage", "bank_storage", "bank_volume"}},
  };
  const double allowed = 4.0 * edge_chance_error(kMembers, 0.95) + 0.02;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Fitted f = fitted(c.parameters, c.head_noise, 2);
    ASSERT_TRUE(f.fit.converged);
    const Bands b = both_routes(f, kMembers, 3);
    ASSERT_TRUE(b.ensemble.not_computed.empty()) << b.ensemble.not_computed;
    EXPECT_EQ(b.ensemble.used, kMembers);
    std::vector<std::string> compared;
    for (const BandSeries& s : b.series) {
      if (!s.ensemble_difference) continue;
      compared.push_back(s.name);
      EXPECT_LT(*s.ensemble_difference, allowed) << s.name << " at time " << s.ensemble_time;
      EXPECT_FALSE(s.linear_untrusted) << s.name;
      ASSERT_EQ(s.ens_conf_lower.size(), b.time.size());
      EXPECT_EQ(s.ens_pred_lower.size(), s.pred_lower.size()) << s.name;
    }
    EXPECT_EQ(compared, c.compared);
    EXPECT_FALSE(linear_band_warning(b));
  }
}

// Six heads with 0.15 m of noise on a flood of 1 m leave AK uncertain by a
// factor of several: head is far from linear in ln AK over that range (it
// saturates towards the stage above and towards nothing below), and the
// ensemble's band is lopsided where the linear one is symmetric.
TEST(EnsembleBands, WarnWhereTheModelIsFarFromLinear) {
  const Fitted f = fitted({{"AK", {3.0, 1e-3, 1e5}}}, 0.15, 10, false);
  ASSERT_TRUE(f.fit.converged);
  const Bands b = both_routes(f, 400, 1);
  ASSERT_TRUE(b.ensemble.not_computed.empty()) << b.ensemble.not_computed;
  const auto warning = linear_band_warning(b);
  ASSERT_TRUE(warning);
  EXPECT_EQ(warning->kind, FitWarning::Kind::LinearBand);
  EXPECT_NE(std::find(warning->subjects.begin(), warning->subjects.end(), "head_x30"), warning->subjects.end());
  EXPECT_NE(warning->text.find("The linear confidence band is not to be trusted for "), std::string::npos);
  EXPECT_NE(warning->text.find("head_x30 by "), std::string::npos) << warning->text;
}

// Parameters the bands hold at a bound stay there in every member. With AK
// at its bound (the truth is 10) and HINIT free, the members move HINIT
// alone, which shifts head and nothing else: the seepage and bank-storage
// series of every member are those of the estimate, so their ensemble bands
// have no width at all, and head's band is the linear one up to chance.
TEST(EnsembleBands, AParameterAtItsBoundIsHeldInEveryMember) {
  const Fitted f = fitted({{"AK", {3.0, 0.1, 5.0}}, {"HINIT", {0.1, -5.0, 5.0}}}, 0.005, 2);
  ASSERT_TRUE(f.fit.converged);
  const Bands b = both_routes(f, 1000, 2);
  ASSERT_EQ(b.assumptions, std::vector<std::string>{"AK fixed at its bound (max)"});
  ASSERT_TRUE(b.ensemble.not_computed.empty());
  EXPECT_EQ(b.ensemble.used, 1000);
  for (const BandSeries& s : b.series) {
    SCOPED_TRACE(s.name);
    if (s.name == "head_x30") {
      ASSERT_TRUE(s.ensemble_difference);
      EXPECT_LT(*s.ensemble_difference, 4.0 * edge_chance_error(1000, 0.95) + 0.02);
      continue;
    }
    for (std::size_t k = 0; k < s.estimate.size(); ++k) {
      EXPECT_EQ(s.ens_conf_lower[k], s.ens_conf_upper[k]) << "step " << k;
      EXPECT_NEAR(s.ens_conf_lower[k], s.estimate[k], 1e-12 * (1.0 + std::abs(s.estimate[k]))) << "step " << k;
    }
  }
}

TEST(EnsembleBands, TheSeedReproducesTheBandsFileAndAnotherSeedChangesIt) {
  const Deck truth = testing::flood_deck();
  const auto sets = testing::records(truth, {{Kind::Head, 30.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}}, 7,
                                     InversionMethod::Contour);
  const std::string parameters =
      "AK = { initial = 3.0, min = 0.1, max = 1000.0 }\nXAA = { initial = 100.0, min = 0.1, max = 1000.0 }\n";
  std::vector<std::string> files;
  for (const char* bands : {"bands = { ensemble = 100, seed = 4 }\n", "bands = { ensemble = 100, seed = 4 }\n",
                            "bands = { ensemble = 100, seed = 5 }\n"}) {
    const TempFolder folder;
    testing::write_fit_folder(folder, truth, sets, parameters, bands);
    const FitSummary s = kesta::fit(folder.path("fit.toml"));
    EXPECT_EQ(s.bands.ensemble.members, 100);
    files.push_back(testing::file_text(folder.path("fit.bands.csv")));
  }
  EXPECT_EQ(files[0], files[1]);
  EXPECT_NE(files[0], files[2]);
  const std::string header = files[0].substr(0, files[0].find('\n'));
  EXPECT_NE(header.find(",bank_volume_conf_upper,head_x30_ens_conf_lower,head_x30_ens_conf_upper,"
                        "head_x30_ens_pred_lower,head_x30_ens_pred_upper,seepage_ens_conf_lower"),
            std::string::npos)
      << header;
}

// The command line's ensemble replaces the fit file's; the report and the
// JSON say what was drawn and how the routes compare.
TEST(EnsembleBands, ReportAndJsonSayWhatWasDrawn) {
  const Deck truth = testing::flood_deck();
  const TempFolder folder;
  testing::write_fit_folder(
      folder, truth,
      testing::records(truth, {{Kind::Head, 30.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}}, 7,
                       InversionMethod::Contour),
      "AK = { initial = 3.0, min = 0.1, max = 1000.0 }\nXAA = { initial = 100.0, min = 0.1, max = 1000.0 }\n",
      "bands = { ensemble = 50 }\n");
  FitOptions options;
  options.ensemble = 400;
  const FitSummary s = kesta::fit(folder.path("fit.toml"), options);
  EXPECT_EQ(s.bands.ensemble.members, 400);
  EXPECT_EQ(s.bands.ensemble.seed, 1u);
  std::ostringstream text, json;
  write_text_report(s, text);
  write_json_report(s, json);
  std::string report = text.str();
  for (auto at = report.find("\n  "); at != std::string::npos; at = report.find("\n  ", at)) report.replace(at, 3, " ");
  EXPECT_NE(report.find("Ensemble: 400 parameter sets (seed 1, Student's t at " +
                        std::to_string(s.interval_degrees_of_freedom) +
                        " degrees of freedom), 400 simulated; their percentile "
                        "bands are in " +
                        s.files.bands +
                        "; the linear bands agree with them within 25 % of their "
                        "half-width (largest difference: "),
            std::string::npos)
      << report;
  EXPECT_NE(json.str().find("\"distribution\": \"student_t\""), std::string::npos);
  // Correlated residuals: the draws' t has fewer degrees of freedom than the covariance's scale.
  EXPECT_LT(s.interval_degrees_of_freedom, s.degrees_of_freedom);
  EXPECT_NE(json.str().find("\"interval_degrees_of_freedom\": " + std::to_string(s.interval_degrees_of_freedom)),
            std::string::npos);
  EXPECT_NE(json.str().find("\"linear_trusted\": true"), std::string::npos);
  options.ensemble = 7;
  EXPECT_THROW(kesta::fit(folder.path("fit.toml"), options), FitInputError);
}

TEST(EnsembleBands, FitFileKeysAreCheckedWithTheirLine) {
  const struct {
    const char* bands;
    const char* error;  // empty: accepted
    int members;
    unsigned seed;
  } cases[] = {
      {"bands = { level = 0.9, ensemble = 400, seed = 12 }", "", 400, 12},
      {"bands = { ensemble = 0 }", "", 0, 1},
      {"bands = { ensemble = 20 }", "", 20, 1},
      {"bands = { ensemble = 19 }",
       "f.toml:2: bands ensemble: 19 is not 0 (no ensemble) or 20 to 100000 parameter sets", 0, 0},
      {"bands = { ensemble = 100001 }",
       "f.toml:2: bands ensemble: 100001 is not 0 (no ensemble) or 20 to 100000 parameter sets", 0, 0},
      {"bands = { ensemble = 2.5 }", "f.toml:2: bands ensemble: expected a whole number", 0, 0},
      {"bands = { ensemble = \"400\" }", "f.toml:2: bands ensemble: expected a whole number", 0, 0},
      {"bands = { ensemble = 400, seed = -1 }", "f.toml:2: bands seed: -1 is not a seed from 0 to 4294967295", 0, 0},
      {"bands = { seed = 3 }", "f.toml:2: bands seed: seeds the ensemble's draws, but the bands table has no ensemble",
       0, 0},
      {"bands = { members = 3 }",
       "f.toml:2: unknown key 'members' bands; the bands table has level, ensemble, seed and distances", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bands);
    const std::string text = std::string("deck = \"d.dat\"\n") + c.bands +
                             "\n[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n[parameters]\nAK = {}\n";
    if (*c.error == '\0') {
      const FitFile f = parse_fit_file(text, "f.toml", ".");
      EXPECT_EQ(f.ensemble, c.members);
      EXPECT_EQ(f.ensemble_seed, c.seed);
    } else {
      try {
        (void)parse_fit_file(text, "f.toml", ".");
        ADD_FAILURE() << "accepted";
      } catch (const FitInputError& e) {
        EXPECT_EQ(std::string(e.what()), c.error);
      }
    }
  }
}

}  // namespace
}  // namespace kesta::fit_detail
