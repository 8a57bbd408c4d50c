// kesta-fit's text report and JSON compared whole with stored ones, the time
// taken masked: the worked example (by the contour inversion, and by the
// Stehfest sum as fits ran before the contour default), a record with weights
// of zero and rows out of time order, an estimate held at its bound, and a
// gross outlier planted in the sixth row of a second record (named as its line
// 7, time 1.2), the solver stopping there on the change of the cost. The
// stored reports were written by this test (KESTA_WRITE_FIT_GOLDENS=1) and
// their key numbers checked once against a second computation from the
// residuals file (below).
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "fit/tests/fit_scenario.hpp"

namespace kesta::fit_detail {
namespace {

using testing::file_text;
using testing::TempFolder;

std::string golden_path(const std::string& name) { return std::string(KESTA_SOURCE_DIR) + "/fit/tests/golden/" + name; }

// The report of `kesta-fit --quiet ARGS fit.toml` run in the folder, with the
// seconds it took masked.
std::string report_of(const TempFolder& folder, const std::string& arguments) {
  const std::string command = "cd '" + folder.path("").string() + "' && '" KESTA_FIT_EXE "' --quiet " + arguments +
                              " fit.toml > .report 2> .err < /dev/null";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw)) << file_text(folder.path(".err"));
  std::string report = file_text(folder.path(".report"));
  if (arguments == "--json") {
    nlohmann::json json = nlohmann::json::parse(report);
    json["seconds"] = 0;
    return json.dump(2) + "\n";
  }
  const std::string before = "parameter sets), ";
  const auto at = report.find(before);
  if (at == std::string::npos) return report;
  const auto from = at + before.size();
  return report.replace(from, report.find(" s\n", from) - from, "<seconds>");
}

void expect_golden(const std::string& name, const std::string& text) {
  if (std::getenv("KESTA_WRITE_FIT_GOLDENS") != nullptr) std::ofstream(golden_path(name), std::ios::binary) << text;
  EXPECT_EQ(file_text(golden_path(name)), text) << name;
}

void river(const TempFolder& folder) {
  for (const std::string name : {"river.dat", "well-north.csv", "well-meadow.csv", "gauging.csv"})
    folder.write(name, file_text(std::string(KESTA_SOURCE_DIR) + "/examples/fit/" + name));
  folder.write("fit.toml", file_text(std::string(KESTA_SOURCE_DIR) + "/examples/fit/river.toml"));
}

// The worked example by the Stehfest sum at the deck's NS = 16, as every fit
// ran before the contour inversion became the fit file's default.
void river_by_stehfest(const TempFolder& folder) {
  river(folder);
  folder.write("fit.toml", "inversion = \"stehfest\"\n" + file_text(folder.path("fit.toml")));
}

// Heads at one well, written latest first, every fourth weight zero; seepage
// in time order.
void weights_and_order(const TempFolder& folder) {
  const Deck truth = testing::flood_deck();
  std::vector<ObservationSet> sets =
      testing::records(truth, {{Kind::Head, 30.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}}, 21);
  testing::write_fit_folder(folder, truth, sets, "AK = { initial = 4.0, min = 0.1, max = 1000.0 }\n");
  std::string csv = "time,head,weight\n";
  const std::vector<CsvObservation>& rows = sets[0].rows;
  for (std::size_t i = rows.size(); i-- > 0;) {
    char line[96];
    std::snprintf(line, sizeof line, "%.17g,%.17g,%d\n", rows[i].time, rows[i].value, i % 4 == 0 ? 0 : 200);
    csv += line;
  }
  folder.write(sets[0].name, csv);
}

void bound_hit(const TempFolder& folder) {
  const Deck truth = testing::flood_deck();
  testing::write_fit_folder(folder, truth,
                            testing::records(truth, {{Kind::Head, 30.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}}, 22),
                            "AK = { initial = 3.0, min = 0.1, max = 6.0 }\nAS = { min = 1e-7, max = 0.1 }\n");
}

// Two parameters from noisy records, the seepage record's sixth row a gross
// outlier: the report names that row of the second record, by its line.
void outlier_in_second_record(const TempFolder& folder) {
  const Deck truth = testing::flood_deck();
  std::vector<ObservationSet> sets =
      testing::records(truth, {{Kind::Head, 30.0, 2, 0.02}, {Kind::Seepage, 0.0, 2, 0.05}}, 23);
  sets[1].rows[5].value += 1.0;
  testing::write_fit_folder(folder, truth, sets,
                            "AK = { initial = 4.0, min = 0.1, max = 1000.0 }\nAS = { min = 1e-7, max = 0.1 }\n");
}

struct GoldenCase {
  std::string name;
  void (*arrange)(const TempFolder&);
};

TEST(FitReportGolden, TextAndJsonWhole) {
  const GoldenCase cases[] = {{"river", river},
                              {"river-stehfest", river_by_stehfest},
                              {"weights-and-order", weights_and_order},
                              {"bound-hit", bound_hit},
                              {"outlier-in-second-record", outlier_in_second_record}};
  for (const GoldenCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    c.arrange(folder);
    expect_golden(c.name + ".report.txt", report_of(folder, ""));
    expect_golden(c.name + ".json", report_of(folder, "--json"));
  }
}

// The numbers of the weighted, unordered record computed again from the
// residuals file and the record as written: a zero weight counts nowhere, and
// the diagnostics see the residuals in time order.
TEST(FitReportGolden, WeightsOfZeroAndRowOrderCheckedBySecondComputation) {
  const TempFolder folder;
  weights_and_order(folder);
  const nlohmann::json report = nlohmann::json::parse(report_of(folder, "--json"));
  std::istringstream lines(file_text(folder.path("fit.residuals.csv")));
  std::string line;
  std::getline(lines, line);
  std::vector<std::pair<double, double>> heads;  // time, residual of a counted row
  std::size_t counted = 0;
  while (std::getline(lines, line)) {
    std::stringstream fields(line);
    std::string set, time, observed, simulated, residual;
    std::getline(fields, set, ',') && std::getline(fields, time, ',') && std::getline(fields, observed, ',') &&
        std::getline(fields, simulated, ',') && std::getline(fields, residual, ',');
    const bool zero_weight = std::stod(residual) == 0.0 && std::stod(simulated) != std::stod(observed);
    counted += !zero_weight;
    if (set == "record-1.csv" && !zero_weight) heads.emplace_back(std::stod(time), std::stod(residual));
  }
  std::sort(heads.begin(), heads.end());
  double squares = 0.0, mean = 0.0;
  for (const auto& [t, r] : heads) {
    squares += r * r;
    mean += r;
  }
  mean /= static_cast<double>(heads.size());
  double products = 0.0, centred = 0.0;
  for (std::size_t i = 0; i < heads.size(); ++i) {
    centred += (heads[i].second - mean) * (heads[i].second - mean);
    if (i > 0) products += (heads[i].second - mean) * (heads[i - 1].second - mean);
  }
  const nlohmann::json& set = report["observation_sets"][0];
  EXPECT_EQ(set["count"].get<std::size_t>(), heads.size());
  EXPECT_EQ(report["n_observations"].get<std::size_t>(), counted);
  // AK and the AR(1) coefficient of each of the two records are estimated.
  EXPECT_EQ(report["degrees_of_freedom"].get<std::size_t>(), counted - 1 - 2);
  EXPECT_NEAR(set["rmse"].get<double>(), std::sqrt(squares / static_cast<double>(heads.size())), 1e-8);
  EXPECT_NEAR(set["lag1_autocorrelation"].get<double>(), products / centred, 1e-8);
}

}  // namespace
}  // namespace kesta::fit_detail
