// Predictions on another stress record and bands at further distances: on the
// fitted record the prediction is the fit's own bands bit for bit; on a
// larger or later flood its bands follow the stress, the model being linear
// in it and the same at every time; a further well's band is the one a record there would give, without a
// prediction band; every refusal with its status and message.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "fit/tests/fit_scenario.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

using testing::file_text;
using testing::TempFolder;

const std::vector<testing::RecordPlan> kPlans = {{Kind::Head, 30.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}};
constexpr const char* kTwo =
    "AK = { initial = 3.0, min = 0.1, max = 1000.0 }\nXAA = { initial = 100.0, min = 0.1, max = 1000.0 }\n";

// The fit folder of the synthetic flood; `tail` goes after the parameters
// (a [prediction] table), `top` before the tables.
void arrange(const TempFolder& folder, const std::string& top = "", const std::string& tail = "",
             const Deck& truth = testing::flood_deck()) {
  testing::write_fit_folder(folder, truth, testing::records(truth, kPlans, 7, InversionMethod::Contour),
                            std::string(kTwo) + tail, top);
}

// The flood deck with its stage multiplied, written as a deck to predict on.
void write_design_flood(const TempFolder& folder, const std::string& name, double factor) {
  Deck deck = testing::flood_deck();
  for (double& s : deck.STAGE) s *= factor;
  folder.write(name, write_deck(deck));
}

const BandSeries& series(const Bands& b, const std::string& name) {
  for (const BandSeries& s : b.series)
    if (s.name == name) return s;
  throw std::runtime_error("no series " + name);
}

void expect_same_bits(const Bands& a, const Bands& b) {
  EXPECT_EQ(a.time, b.time);
  ASSERT_EQ(a.series.size(), b.series.size());
  for (std::size_t i = 0; i < a.series.size(); ++i) {
    SCOPED_TRACE(a.series[i].name);
    EXPECT_EQ(a.series[i].name, b.series[i].name);
    EXPECT_EQ(a.series[i].estimate, b.series[i].estimate);
    EXPECT_EQ(a.series[i].conf_lower, b.series[i].conf_lower);
    EXPECT_EQ(a.series[i].conf_upper, b.series[i].conf_upper);
    EXPECT_EQ(a.series[i].pred_lower, b.series[i].pred_lower);
    EXPECT_EQ(a.series[i].pred_upper, b.series[i].pred_upper);
    EXPECT_EQ(a.series[i].noise_variance, b.series[i].noise_variance);
  }
}

TEST(FitPrediction, OnTheFittedRecordItIsTheFitsOwnBandsBitForBit) {
  // With and without further distances, by the fit file and by the caller,
  // beside the fit file or in an output folder.
  const struct {
    const char* name;
    std::string top, tail;
    bool by_option;
    std::string output_folder;  // under the fit's folder; empty: beside the fit file
  } cases[] = {
      {"fit file", "", "[prediction]\ndeck = \"deck.dat\"\n", false, ""},
      {"with distances", "bands = { distances = [75.0, 30.0] }\n", "[prediction]\ndeck = \"deck.dat\"\n", false, ""},
      {"by the caller", "", "", true, ""},
      {"in an output folder", "", "", true, "out"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    arrange(folder, c.top, c.tail);
    FitOptions options;
    if (c.by_option) options.predict = folder.path("deck.dat");
    const std::filesystem::path out = c.output_folder.empty() ? folder.path("") : folder.path(c.output_folder);
    if (!c.output_folder.empty()) {
      std::filesystem::create_directory(out);
      options.output_folder = out;
    }
    const FitSummary s = kesta::fit(folder.path("fit.toml"), options);
    ASSERT_TRUE(s.converged);
    ASSERT_TRUE(s.prediction.has_value());
    ASSERT_EQ(s.prediction->bands.not_computed, "");
    expect_same_bits(s.prediction->bands, s.bands);
    EXPECT_EQ(s.prediction->file, (out / "fit.prediction.csv").string());
    EXPECT_EQ(file_text(out / "fit.prediction.csv"), file_text(out / "fit.bands.csv"));
  }
}

// The model is linear in the stage and does not change with time: every
// series, and its derivatives by the parameters, follow the stage, so the
// confidence band of a flood three times as high is three times as wide at
// every step, that of a flood a day later is the fitted one a day later, and
// the prediction band adds the same noise to either.
TEST(FitPrediction, ADesignFloodsBandsFollowItsStage) {
  const struct {
    const char* name;
    double factor;
    std::size_t shift;  // steps
  } cases[] = {{"three times as high", 3.0, 0}, {"a day later and half as high", 0.5, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    arrange(folder, "bands = { distances = [75.0] }\n", "[prediction]\ndeck = \"design.dat\"\n");
    Deck design = testing::flood_deck();
    for (std::size_t i = design.STAGE.size(); i-- > 0;)
      design.STAGE[i] = i < c.shift ? 0.0 : c.factor * design.STAGE[i - c.shift];
    folder.write("design.dat", write_deck(design));
    const FitSummary s = kesta::fit(folder.path("fit.toml"));
    ASSERT_TRUE(s.prediction && s.prediction->bands.not_computed.empty());
    const Bands& fitted = s.bands;
    const Bands& predicted = s.prediction->bands;
    EXPECT_EQ(predicted.time, fitted.time);
    for (const char* name : {"head_x30", "head_x75", "seepage", "total_seepage", "bank_storage", "bank_volume"}) {
      SCOPED_TRACE(name);
      const BandSeries& f = series(fitted, name);
      const BandSeries& d = series(predicted, name);
      double largest = 0.0;
      for (std::size_t k = 0; k < f.estimate.size(); ++k) largest = std::max(largest, f.conf_upper[k] - f.estimate[k]);
      ASSERT_GT(largest, 0.0);
      EXPECT_EQ(d.noise_variance, f.noise_variance);
      for (std::size_t k = 0; k < d.estimate.size(); ++k) {
        // Before the shifted flood arrives the stage is 0, and so is every series and its spread.
        const double value = k < c.shift ? 0.0 : c.factor * f.estimate[k - c.shift];
        const double half = k < c.shift ? 0.0 : c.factor * (f.conf_upper[k - c.shift] - f.estimate[k - c.shift]);
        const double predicted_half = d.conf_upper[k] - d.estimate[k];
        EXPECT_NEAR(d.estimate[k], value, 1e-9 * (1.0 + std::abs(value))) << k;
        EXPECT_NEAR(predicted_half, half, 1e-6 * largest) << k;
        EXPECT_NEAR(d.estimate[k] - d.conf_lower[k], predicted_half, 1e-9 * (1.0 + largest)) << k;
        if (!d.noise_variance) continue;
        // The same noise on the band: pred² − conf² is t²σ² at every step of both.
        const auto noise_part = [](const BandSeries& b, std::size_t j) {
          const double pred = b.pred_upper[j] - b.estimate[j], conf = b.conf_upper[j] - b.estimate[j];
          return pred * pred - conf * conf;
        };
        EXPECT_NEAR(noise_part(d, k), noise_part(f, k), 1e-6 * noise_part(f, k)) << k;
      }
      if (!d.noise_variance) {
        EXPECT_TRUE(d.pred_lower.empty());
      }
    }
  }
}

// A further well's head is the one a record there would draw: asking for the
// distance of an observed well changes nothing; another distance has a
// confidence band only, the noise of a neighbour's logger not borrowed.
TEST(FitPrediction, BandsAtFurtherDistances) {
  const TempFolder plain, asked;
  arrange(plain);
  arrange(asked, "bands = { distances = [30.0, 120.0, 75.5] }\n");
  const FitSummary p = kesta::fit(plain.path("fit.toml"));
  const FitSummary a = kesta::fit(asked.path("fit.toml"), {});
  std::vector<std::string> names;
  for (const BandSeries& b : a.bands.series) names.push_back(b.name);
  EXPECT_EQ(names, (std::vector<std::string>{"head_x30", "head_x120", "head_x75.5", "seepage", "total_seepage",
                                             "bank_storage", "bank_volume"}));
  Bands observed = p.bands, again = a.bands;
  std::erase_if(again.series, [](const BandSeries& b) { return b.name == "head_x120" || b.name == "head_x75.5"; });
  expect_same_bits(again, observed);
  for (const char* name : {"head_x120", "head_x75.5"}) {
    SCOPED_TRACE(name);
    const BandSeries& b = series(a.bands, name);
    EXPECT_FALSE(b.noise_variance.has_value());
    EXPECT_TRUE(b.pred_lower.empty());
    ASSERT_EQ(b.conf_lower.size(), a.bands.time.size());
    EXPECT_GT(b.conf_upper[20], b.conf_lower[20]);
  }
  // Nearer the stream, the wave is higher: the band's estimate at 30 m above
  // that at 120 m at the flood's peak.
  EXPECT_GT(series(a.bands, "head_x30").estimate[10], series(a.bands, "head_x120").estimate[10]);
  const std::string csv = file_text(asked.path("fit.bands.csv"));
  EXPECT_NE(csv.find(",head_x120_estimate,head_x120_conf_lower,head_x120_conf_upper,head_x75.5_estimate,"),
            std::string::npos);
  EXPECT_EQ(csv.find("head_x120_pred"), std::string::npos);
}

// A dated case gives the prediction its dates: a date column after the time.
TEST(FitPrediction, ADatedCaseGivesDates) {
  const TempFolder folder;
  arrange(folder, "", "[prediction]\ncase = \"next-season.toml\"\noutput = \"next.csv\"\n");
  std::string stage = "time,stage\n";
  for (int k = 0; k <= 60; ++k) stage += std::to_string(0.1 * k) + "," + std::to_string(0.05 * k) + "\n";
  folder.write("stage.csv", stage);
  folder.write("next-season.toml",
               "deck = \"deck.dat\"\n[stage]\nfile = \"stage.csv\"\n[run]\nstep = 0.1\nstart = 0.0\nend = 5.0\n"
               "origin = \"2024-03-01 00:00\"\n");
  const FitSummary s = kesta::fit(folder.path("fit.toml"));
  ASSERT_TRUE(s.prediction && s.prediction->bands.not_computed.empty()) << s.prediction->bands.not_computed;
  ASSERT_EQ(s.prediction->dates.size(), s.prediction->bands.time.size());
  EXPECT_EQ(s.prediction->dates.front().substr(0, 16), "2024-03-01T00:00");
  const std::string csv = file_text(folder.path("next.csv"));
  EXPECT_EQ(csv.rfind("time,date,head_x30_estimate,", 0), 0u) << csv.substr(0, 80);
  EXPECT_NE(csv.find("\n0,2024-03-01T00:00"), std::string::npos);
}

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run_in(const TempFolder& folder, const std::string& arguments) {
  const std::string command = "cd '" + folder.path("").string() + "' && '" KESTA_FIT_EXE "' --quiet " + arguments +
                              " > .out 2> .err < /dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, file_text(folder.path(".out")), file_text(folder.path(".err"))};
}

TEST(FitPrediction, RefusalsNameWhatIsWrongAndWhere) {
  const auto deck_with = [](std::function<void(Deck&)> edit) {
    return [edit](const TempFolder& f) {
      Deck d = testing::flood_deck();
      edit(d);
      f.write("design.dat", write_deck(d));
    };
  };
  const std::string predict = "[prediction]\ndeck = \"design.dat\"\n";
  const struct {
    const char* name;
    std::string top, tail, arguments;
    std::function<void(const TempFolder&)> edit;
    int status;
    std::string message;  // the start of the one line on the error stream, after "kesta-fit: "
    bool fit_written;
  } cases[] = {
      {"another time step", "", predict, "", deck_with([](Deck& d) { d.DELT = 0.05; }), 2,
       "design.dat:3: time step DELT = 0.05 is not the fit's deck's DELT = 0.1 (deck.dat:3): a prediction runs on "
       "the time step the fit was made on",
       false},
      {"a fitted value changed", "", predict, "", deck_with([](Deck& d) { d.AK = 12.0; }), 2,
       "design.dat:6: AK = 12 is not the fit's deck's AK = 10 (deck.dat:6): a prediction record gives the stress "
       "series and its steps, not the aquifer; the fit estimates AK and predicts with its estimate",
       false},
      {"another aquifer value changed", "", predict, "", deck_with([](Deck& d) { d.AB = 20.0; }), 2,
       "design.dat:6: AB = 20 is not the fit's deck's AB = 10 (deck.dat:6)", false},
      {"a code changed", "", predict, "", deck_with([](Deck& d) { d.IXA = 0; }), 2,
       "design.dat:4: IXA = 0 is not the fit's deck's IXA = 1 (deck.dat:4)", false},
      {"a case of another step", "", "[prediction]\ncase = \"next.toml\"\n", "",
       [](const TempFolder& f) {
         f.write("stage.csv", "time,stage\n0,0\n1,0.5\n2,1\n3,0.5\n");
         f.write("next.toml", "deck = \"deck.dat\"\n[stage]\nfile = \"stage.csv\"\n[run]\nstep = 0.05\n");
       },
       2, "next.toml:5: time step DELT = 0.05 is not the fit's deck's DELT = 0.1 (deck.dat:3)", false},
      {"a case's aquifer value changed", "", "[prediction]\ncase = \"next.toml\"\n", "",
       [](const TempFolder& f) {
         f.write("stage.csv", "time,stage\n0,0\n1,0.5\n2,1\n3,0.5\n");
         f.write("next.toml",
                 "x = 50.0\n[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\nstream_length = 1000.0\n"
                 "conductivity = 12.0\nspecific_storage = 1e-4\nthickness = 10.0\nstreambank_leakance = 30.0\n"
                 "[stage]\nfile = \"stage.csv\"\n[run]\nstep = 0.1\n");
       },
       2, "next.toml:6: AK = 12 is not the fit's deck's AK = 10 (deck.dat:6)", false},
      {"the deck of a case changed", "", "[prediction]\ncase = \"next.toml\"\n", "",
       [](const TempFolder& f) {
         Deck d = testing::flood_deck();
         d.AB = 20.0;
         f.write("other.dat", write_deck(d));
         f.write("stage.csv", "time,stage\n0,0\n1,0.5\n2,1\n3,0.5\n");
         f.write("next.toml", "deck = \"other.dat\"\n[stage]\nfile = \"stage.csv\"\n[run]\nstep = 0.1\n");
       },
       2, "other.dat:6: AB = 20 is not the fit's deck's AB = 10 (deck.dat:6)", false},
      {"no such record", "", "[prediction]\ndeck = \"nowhere.dat\"\n", "", [](const TempFolder&) {}, 2,
       "nowhere.dat: the deck to predict on does not exist", false},
      {"a folder for a record", "", "[prediction]\ndeck = \"decks\"\n", "",
       [](const TempFolder& f) { std::filesystem::create_directory(f.path("decks")); }, 2,
       "decks: is not a file: expected a deck to predict on", false},
      {"deck and case", "", "[prediction]\ndeck = \"a.dat\"\ncase = \"b.toml\"\n", "", [](const TempFolder&) {}, 2,
       "fit.toml:14: prediction case: give a deck or a case to predict on, not both", false},
      {"no record", "", "[prediction]\noutput = \"p.csv\"\n", "", [](const TempFolder&) {}, 2,
       "fit.toml:12: prediction: missing key 'deck' or 'case' (the stress record)", false},
      {"unknown key", "", "[prediction]\nfile = \"p.dat\"\n", "", [](const TempFolder&) {}, 2,
       "fit.toml:13: unknown key 'file' prediction; the prediction table has deck or case, and output", false},
      {"output is an input", "", "[prediction]\ndeck = \"design.dat\"\noutput = \"record-1.csv\"\n", "",
       deck_with([](Deck&) {}), 2, "the prediction record-1.csv is the record record-1.csv", false},
      {"output is the bands", "", "[prediction]\ndeck = \"design.dat\"\noutput = \"fit.bands.csv\"\n", "",
       deck_with([](Deck&) {}), 2, "the prediction fit.bands.csv and the bands fit.bands.csv are one file", false},
      {"output is the record predicted on", "", "[prediction]\ndeck = \"design.dat\"\noutput = \"design.dat\"\n", "",
       deck_with([](Deck&) {}), 2, "the prediction design.dat is the prediction's input design.dat", false},
      {"negative distance", "bands = { distances = [30.0, -5.0] }\n", "", "", [](const TempFolder&) {}, 2,
       "fit.toml:2: bands distances: -5 is not a positive finite distance from the stream centre", false},
      {"distances not a list", "bands = { distances = 30.0 }\n", "", "", [](const TempFolder&) {}, 2,
       "fit.toml:2: bands distances: expected a list of distances such as [30.0, 120.0]", false},
      {"distance beyond a finite aquifer", "bands = { distances = [900.0] }\n", "", "",
       [](const TempFolder& f) {
         Deck d = testing::flood_deck();
         d.IXL = 1;
         d.XLL = 500.0;
         f.write("deck.dat", write_deck(d));
       },
       2, "fit.toml:2: bands distances: 900 does not suit the deck: ", false},
      {"no argument to --predict", "", "", "--predict", [](const TempFolder&) {}, 2,
       "--predict needs a deck or case file", false},
      {"the command line wins", "", "[prediction]\ndeck = \"nowhere.dat\"\n", "--predict design.dat",
       deck_with([](Deck& d) { d.DELT = 0.2; }), 2, "design.dat:3: time step DELT = 0.2", false},
      {"a fit that did not converge", "", predict + "[solver]\nmax_iterations = 1\n", "", deck_with([](Deck&) {}), 1,
       "no prediction on design.dat: the fit did not converge; nothing predicted written", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    arrange(folder, c.top, c.tail);
    c.edit(folder);
    const Outcome o = run_in(folder, c.arguments + (c.arguments == "--predict" ? "" : " fit.toml"));
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.err.rfind("kesta-fit: " + c.message, 0), 0u) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_EQ(std::filesystem::exists(folder.path("fit.bands.csv")), c.fit_written);
    EXPECT_FALSE(std::filesystem::exists(folder.path("fit.prediction.csv")));
  }
}

// A step written to six significant digits is the fit's step; one that
// differs in the fifth is another.
TEST(FitPrediction, AStepWrittenToSixDigitsIsTheFitsStep) {
  const struct {
    double delt;
    bool same;
  } cases[] = {{0.1 * (1.0 + 1.6e-6), true}, {0.1 * (1.0 - 9e-6), true}, {0.1 * (1.0 + 1.1e-5), false}};
  for (const auto& c : cases) {
    const TempFolder folder;
    arrange(folder, "", "[prediction]\ndeck = \"design.dat\"\n");
    Deck d = testing::flood_deck();
    d.DELT = c.delt;
    folder.write("design.dat", write_deck(d));
    const Outcome o = run_in(folder, "fit.toml");
    EXPECT_EQ(o.status, c.same ? 0 : 2) << c.delt << ": " << o.err;
    EXPECT_EQ(std::filesystem::exists(folder.path("fit.prediction.csv")), c.same) << c.delt;
  }
}

// The report and JSON name the prediction only when one is asked for.
TEST(FitPrediction, ReportsNameThePrediction) {
  const TempFolder folder;
  arrange(folder, "", "[prediction]\ndeck = \"design.dat\"\n");
  write_design_flood(folder, "design.dat", 2.0);
  const Outcome text = run_in(folder, "fit.toml");
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Prediction on design.dat: 95 % bands in fit.prediction.csv, 61 steps."), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find(", fit.prediction.csv\n"), std::string::npos);
  const nlohmann::json json = nlohmann::json::parse(run_in(folder, "--json fit.toml").out);
  EXPECT_EQ(json["prediction"]["record"], "design.dat");
  EXPECT_EQ(json["prediction"]["file"], "fit.prediction.csv");
  EXPECT_EQ(json["prediction"]["steps"], 61);
  EXPECT_TRUE(json["prediction"]["not_computed"].is_null());
  const TempFolder plain;
  arrange(plain);
  EXPECT_FALSE(nlohmann::json::parse(run_in(plain, "--json fit.toml").out).contains("prediction"));
}

}  // namespace
}  // namespace kesta::fit_detail
