// The library's kesta::fit: its typed errors, and the same numbers as the JSON
// that kesta-fit prints for the worked example.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>

#include "fit/tests/fit_scenario.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

using testing::file_text;
using testing::TempFolder;

void copy_river(const TempFolder& folder) {
  for (const std::string name : {"river.toml", "river.dat", "well-north.csv", "well-meadow.csv", "gauging.csv"})
    folder.write(name, file_text(std::string(KESTA_SOURCE_DIR) + "/examples/fit/" + name));
}

enum class Thrown { Input, Write };

TEST(FitApi, EachFailureHasItsOwnType) {
  struct Case {
    const char* name;
    std::function<void(const TempFolder&)> change;
    std::string output_folder;  // under the folder; empty: beside the fit file
    Thrown thrown;
    const char* words;
  };
  const std::vector<Case> cases = {
      {"no fit file", [](const TempFolder& f) { std::filesystem::remove(f.path("river.toml")); }, "", Thrown::Input,
       "river.toml"},
      {"bad record", [](const TempFolder& f) { f.write("gauging.csv", "time,seepage\n1.0,abc\n"); }, "", Thrown::Input,
       "gauging.csv:2: column 2 (value): 'abc' is not a finite number"},
      {"output folder missing", [](const TempFolder&) {}, "nowhere", Thrown::Input, "nowhere: is not a folder"},
      {"output is the deck",
       [](const TempFolder& f) {
         std::filesystem::rename(f.path("river.dat"), f.path("river.fitted.dat"));
         f.write("river.toml", [&] {
           std::string t = file_text(f.path("river.toml"));
           return t.replace(t.find("\"river.dat\""), 11, "\"river.fitted.dat\"");
         }());
       },
       "", Thrown::Input, "writing it would lose an input"},
      {"fitted deck is a folder",
       [](const TempFolder& f) { std::filesystem::create_directory(f.path("river.fitted.dat")); }, "", Thrown::Write,
       "river.fitted.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    copy_river(folder);
    c.change(folder);
    const FitOptions options{c.output_folder.empty() ? std::filesystem::path() : folder.path(c.output_folder)};
    try {
      (void)kesta::fit(folder.path("river.toml"), options);
      ADD_FAILURE() << "no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(c.thrown, Thrown::Input) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
    } catch (const FitWriteError& e) {
      EXPECT_EQ(c.thrown, Thrown::Write) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
      // The fit itself stands: its summary comes with the error.
      EXPECT_EQ(e.summary().files_not_written, e.what());
      EXPECT_EQ(e.summary().estimates.size(), 3u);
      EXPECT_TRUE(e.summary().converged);
    }
    EXPECT_FALSE(std::filesystem::is_regular_file(folder.path("river.svg")));
  }
}

TEST(FitApi, SummaryHoldsTheNumbersOfTheJsonReport) {
  const TempFolder library, program;
  copy_river(library);
  copy_river(program);
  const FitSummary s = kesta::fit(library.path("river.toml"));
  const std::string command = "'" KESTA_FIT_EXE "' --json --quiet '" + program.path("river.toml").string() + "' > '" +
                              program.path("report.json").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const nlohmann::json json = nlohmann::json::parse(file_text(program.path("report.json")));
  ASSERT_EQ(s.estimates.size(), json["parameters"].size());
  for (const Estimate& e : s.estimates) {
    const nlohmann::json& p = json["parameters"][e.name];
    EXPECT_EQ(e.value, p["estimate"].get<double>()) << e.name;
    EXPECT_EQ(*e.std_error, p["std_error"].get<double>()) << e.name;
    EXPECT_EQ(e.ci95->first, p["ci95"][0].get<double>()) << e.name;
    EXPECT_EQ(*e.plain_std_error, p["plain_std_error"].get<double>()) << e.name;
  }
  ASSERT_EQ(s.sets.size(), json["observation_sets"].size());
  for (std::size_t i = 0; i < s.sets.size(); ++i) {
    EXPECT_EQ(s.sets[i].rmse, json["observation_sets"][i]["rmse"].get<double>());
    EXPECT_EQ(s.sets[i].diagnostics.durbin_watson, json["observation_sets"][i]["durbin_watson"].get<double>());
    EXPECT_EQ(*s.sets[i].phi, json["observation_sets"][i]["ar1_phi"].get<double>());
  }
  EXPECT_EQ(s.rmse, json["rmse"].get<double>());
  EXPECT_EQ(s.iterations, json["iterations"].get<int>());
  ASSERT_EQ(s.warnings.size(), json["warnings"].size());
  for (std::size_t i = 0; i < s.warnings.size(); ++i) EXPECT_EQ(s.warnings[i].text, json["warnings"][i]);
  ASSERT_EQ(s.checks.size(), json["checks"].size());
  for (std::size_t i = 0; i < s.checks.size(); ++i) EXPECT_EQ(s.checks[i].pass, json["checks"][i]["pass"]);
  EXPECT_EQ(file_text(library.path("river.fitted.dat")), file_text(program.path("river.fitted.dat")));
}

// The options' inversion replaces the fit file's for one fit: the contour
// inversion leaves a fit file's ns unused, the Stehfest sum runs at the
// deck's NS = 16 where the file says nothing. The fitted deck says which.
TEST(FitApi, OptionsInversionReplacesTheFitFiles) {
  const struct {
    const char* name;
    std::string top;  // before the river example's keys
    std::optional<InversionMethod> chosen;
    InversionMethod used;
    int ns;
    NsChoice ns_choice;
    const char* ns_line;
  } cases[] = {
      {"file's default", "", std::nullopt, InversionMethod::Contour, 16, NsChoice::Deck,
       "16 / fitted by the contour inversion (kesta --inversion contour)"},
      {"contour over ns", "ns = 12\n", InversionMethod::Contour, InversionMethod::Contour, 16, NsChoice::Deck,
       "16 / fitted by the contour inversion (kesta --inversion contour)"},
      {"stehfest over the default", "", InversionMethod::Stehfest, InversionMethod::Stehfest, 16, NsChoice::Deck,
       "16 / fitted by the Stehfest inversion at NS = 16"},
      {"stehfest keeps the file's ns", "ns = 12\n", InversionMethod::Stehfest, InversionMethod::Stehfest, 12,
       NsChoice::Given, "12 / fitted by the Stehfest inversion at NS = 12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    copy_river(folder);
    folder.write("river.toml", c.top + file_text(folder.path("river.toml")));
    FitOptions options;
    options.inversion = c.chosen;
    const FitSummary s = kesta::fit(folder.path("river.toml"), options);
    EXPECT_EQ(s.inversion, c.used);
    EXPECT_EQ(s.ns, c.ns);
    EXPECT_EQ(s.ns_choice, c.ns_choice);
    // The Stehfest sum's error is weighed at every record, the contour's at none.
    for (const SetSummary& set : s.sets) EXPECT_EQ(set.inversion_rms.has_value(), c.used == InversionMethod::Stehfest);
    std::string deck = file_text(folder.path("river.fitted.dat"));
    for (int line = 0; line < 8; ++line) deck.erase(0, deck.find('\n') + 1);
    EXPECT_EQ(deck.substr(0, deck.find('\n')), c.ns_line);
  }
}

}  // namespace
}  // namespace kesta::fit_detail
