// Fits on the calendar: a fit file that names a case, dated observation
// records read on the case's calendar, the residuals' dates and the fitted
// case that kesta --case runs.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "fit/case/fit_case.hpp"
#include "fit/estimation/number_text.hpp"
#include "fit/tests/fit_scenario.hpp"
#include "kesta/case.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

using testing::TempFolder;

// A flood wave every 2 hours over five days from 2023-05-01 00:00 UTC, past a
// confined aquifer (AS = 1e-4) behind a streambank. Heads alone see AK only
// through AK/AS, so the fits hold AS and estimate AK and XAA.
std::string stage_csv() {
  std::string out = "Date,Stage\n";
  for (int k = 0; k <= 60; ++k) {
    const double t = k / 12.0;
    char line[64];
    (void)std::snprintf(line, sizeof line, "2023-05-%02d %02d:00,%.6f\n", 1 + k / 12, (k % 12) * 2,
                        t * std::exp(1.0 - t));
    out += line;
  }
  return out;
}

std::string case_toml(double ak, double xaa, const std::string& run_extra = "") {
  return "title = \"Flood wave on the calendar\"\nx = 50.0\n[units]\nlength = \"m\"\ntime = \"d\"\n"
         "[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\nstream_length = 1000.0\nconductivity = " +
         shortest(ak) + "\nspecific_storage = 1e-4\nthickness = 10.0\nstreambank_leakance = " + shortest(xaa) +
         "\n[stage]\nfile = \"stage.csv\"\ntime = \"Date\"\n"
         "value = \"Stage\"\n[run]\nstep = \"2 h\"\n" +
         run_extra;
}

// The heads of the true case at every fourth step, dated with its calendar.
std::string true_heads(const TempFolder& folder) {
  folder.write("truth.toml", case_toml(10.0, 30.0));
  const PreparedCase truth = read_case(folder.path("truth.toml"));
  const Results r = simulate(truth.deck, truth.options);
  std::string out = "date,head\n";
  for (std::size_t k = 4; k < r.time.size(); k += 4)
    out += truth.calendar.date_of(r.time[k]) + "," + shortest(r.head[k]) + "\n";
  return out;
}

constexpr const char* kObservations = "[[observations]]\nfile = \"well.csv\"\nkind = \"head\"\n";
constexpr const char* kParameters =
    "[parameters]\nAK = { min = 0.1, max = 1000.0 }\nXAA = { min = 0.1, max = 1000.0 }\n";

int run(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::vector<std::vector<double>> csv_numbers(const std::string& text, std::size_t skip_columns) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("time", 0) == 0) continue;
    std::vector<double> row;
    std::istringstream fields(line);
    std::string field;
    for (std::size_t i = 0; std::getline(fields, field, ','); ++i)
      if (i != skip_columns) row.push_back(std::stod(field));
    rows.push_back(row);
  }
  return rows;
}

// A case with its own [aquifer] table, fitted beside it; and one that takes
// its aquifer from a deck, fitted into another folder, whose fitted case
// takes it from the fitted deck and finds its record from there.
TEST(FitOnTheCalendar, ACaseFitRecoversItsValuesAndItsFittedCaseRunsBitForBit) {
  struct Variant {
    const char* name;
    bool from_deck;
    const char* output_folder;  // empty: beside the fit file
  };
  for (const Variant& v : {Variant{"an [aquifer] table", false, ""}, Variant{"a deck's aquifer", true, "out"}}) {
    const TempFolder folder;
    folder.write("stage.csv", stage_csv());
    folder.write("well.csv", true_heads(folder));
    folder.write("levee.toml", case_toml(3.0, 100.0));
    if (v.from_deck) {
      folder.write("start.dat", write_deck(read_case(folder.path("levee.toml")).deck));
      folder.write("levee.toml",
                   "title = \"From a deck\"\ndeck = \"start.dat\"\n[units]\nlength = \"m\"\ntime = \"d\"\n"
                   "[stage]\nfile = \"stage.csv\"\ntime = \"Date\"\nvalue = \"Stage\"\n[run]\nstep = \"2 h\"\n");
    }
    folder.write("fit.toml",
                 std::string("case = \"levee.toml\"\nnoise = \"independent\"\n") + kObservations + kParameters);
    FitOptions options;
    if (*v.output_folder) {
      std::filesystem::create_directory(folder.path(v.output_folder));
      options.output_folder = folder.path(v.output_folder);
    }
    const auto out = [&](const std::string& name) {
      return *v.output_folder ? folder.path(v.output_folder) / name : folder.path(name);
    };
    const FitSummary summary = fit(folder.path("fit.toml"), options);
    ASSERT_EQ(summary.estimates.size(), 2u) << v.name;
    EXPECT_NEAR(summary.estimates[0].value, 10.0, 1e-4) << v.name;
    EXPECT_NEAR(summary.estimates[1].value, 30.0, 3e-4) << v.name;
    EXPECT_EQ(summary.files.fitted_case, out("fit.fitted.toml").string());

    // The residuals carry the date beside the model time: the record's own.
    const std::string residuals = testing::file_text(out("fit.residuals.csv"));
    EXPECT_EQ(residuals.rfind("set,time,date,observed,simulated,residual\nwell.csv,0.3333333333,"
                              "2023-05-01T08:00:00+00:00,",
                              0),
              0u)
        << residuals.substr(0, 200);

    // So do the bands, a date for every step of the run: the fitted case's results' dates.
    const std::string bands = testing::file_text(out("fit.bands.csv"));
    EXPECT_EQ(bands.rfind("time,date,head_x", 0), 0u) << bands.substr(0, 100);
    ASSERT_EQ(summary.bands.dates.size(), summary.bands.time.size());
    EXPECT_EQ(summary.bands.dates.front(), "2023-05-01T00:00:00+00:00");
    EXPECT_EQ(summary.bands.dates[4], "2023-05-01T08:00:00+00:00");  // four steps of 2 h
    EXPECT_NE(bands.find("," + summary.bands.dates[4] + ","), std::string::npos);

    // The picture too: a calendar axis in the case's offset, and the case's units.
    const std::string svg = testing::file_text(out("fit.svg"));
    for (const char* part : {">Date (UTC)<", ">Head (m)<", ">Residual (m)<", ">2023<"})
      EXPECT_NE(svg.find(part), std::string::npos) << v.name << ": " << part;
    EXPECT_EQ(svg.find(">Time ("), std::string::npos) << v.name;

    // The fitted case runs on the calendar, to the fitted deck's bits.
    ASSERT_EQ(run(std::string(KESTA_EXE) + " --case '" + out("fit.fitted.toml").string() + "' >/dev/null"), 0)
        << v.name << "\n"
        << testing::file_text(out("fit.fitted.toml"));
    const Results expected = simulate(read_deck(out("fit.fitted.dat")), {InversionMethod::Contour});
    const auto rows = csv_numbers(testing::file_text(out("fit.fitted-results.csv")), 1);
    ASSERT_EQ(rows.size(), expected.time.size()) << v.name;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      ASSERT_EQ(rows[k][0], expected.time[k]) << v.name << k;
      ASSERT_EQ(rows[k][1], expected.head[k]) << v.name << k;
      ASSERT_EQ(rows[k][2], expected.seepage[k]) << v.name << k;
      ASSERT_EQ(rows[k][5], expected.bank_volume[k]) << v.name << k;
    }
    const Deck fitted = read_case(out("fit.fitted.toml")).deck;
    EXPECT_EQ(fitted.AK, summary.estimates[0].value) << v.name;
    EXPECT_EQ(fitted.XAA, summary.estimates[1].value) << v.name;
  }
}

// Observations written in each form land where the same ones written as
// model times do. The case starts on 2023-05-01 at midnight UTC.
TEST(FitOnTheCalendar, DatedObservationsInEveryFormLandAtTheirModelTime) {
  struct Form {
    const char* name;
    const char* keys;  // on the observation entry
    const char* times[3];
  };
  const Form forms[] = {
      {"ISO with offset", "", {"2023-05-01T03:00:00+02:00", "2023-05-02T14:00:00+02:00", "2023-05-04T00:30Z"}},
      {"local in a summer-time zone",
       "zone = \"Europe/Amsterdam\"\n",
       {"2023-05-01 03:00", "2023-05-02T14:00", "2023-05-04 02:30:00"}},
      {"a format",
       "format = \"%d/%m/%Y %H:%M\"\nzone = \"Europe/Amsterdam\"\n",
       {"01/05/2023 03:00", "02/05/2023 14:00", "04/05/2023 02:30"}},
      {"numbers", "", {"0.041666666666666664", "1.5", "3.0208333333333335"}},
  };
  const double expected[] = {1.0 / 24.0, 1.5, 3.0 + 0.5 / 24.0};
  for (const Form& form : forms) {
    const TempFolder folder;
    folder.write("stage.csv", stage_csv());
    folder.write("levee.toml", case_toml(10.0, 30.0));
    folder.write("well.csv", std::string("when,head\n") + form.times[0] + ",0.1\n" + form.times[1] + ",0.2\n" +
                                 form.times[2] + ",0.3\n");
    folder.write("fit.toml", std::string("case = \"levee.toml\"\n") + kObservations + form.keys +
                                 "[parameters]\nAK = { min = 0.1, max = 1000.0 }\n");
    const FitCase c = load_fit_case(read_fit_file(folder.path("fit.toml")));
    ASSERT_EQ(c.sets.size(), 1u);
    ASSERT_EQ(c.sets[0].rows.size(), 3u) << form.name;
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(c.sets[0].rows[i].time, expected[i], 1e-12) << form.name << i;
  }
}

// The case's inversion is the fit's unless the fit file chooses one.
TEST(FitOnTheCalendar, TheCasesInversionUnlessTheFitFileChooses) {
  struct Choice {
    const char* run;  // the case's [run] beyond its step
    const char* fit;  // the fit file's choice
    InversionMethod expected;
  };
  const Choice choices[] = {
      {"", "", InversionMethod::Contour},
      {"inversion = \"stehfest\"\n", "", InversionMethod::Stehfest},
      {"inversion = \"stehfest\"\n", "inversion = \"contour\"\n", InversionMethod::Contour},
      {"", "ns = 12\n", InversionMethod::Stehfest},
  };
  for (const Choice& c : choices) {
    const TempFolder folder;
    folder.write("stage.csv", stage_csv());
    folder.write("levee.toml", case_toml(10.0, 30.0, c.run));
    folder.write("well.csv", "t,h\n1,0.1\n2,0.2\n3,0.3\n");
    folder.write("fit.toml", std::string("case = \"levee.toml\"\n") + c.fit + kObservations + kParameters);
    EXPECT_EQ(load_fit_case(read_fit_file(folder.path("fit.toml"))).file.inversion, c.expected) << c.run << c.fit;
  }
}

// Columns by name and a window of dates: the tidal example's way of reading
// one piezometer out of a file of several.
TEST(FitOnTheCalendar, ColumnsByNameAndAWindowOfDates) {
  const TempFolder folder;
  folder.write("stage.csv", stage_csv());
  folder.write("levee.toml", case_toml(10.0, 30.0));
  folder.write("well.csv",
               "id,when,north,south\n1,2023-04-30 00:00,9,9\n2,2023-05-01 12:00,1,2\n3,2023-05-02 00:00,3,4\n"
               "4,2023-05-09 00:00,9,9\n");
  folder.write("fit.toml", std::string("case = \"levee.toml\"\n") + kObservations +
                               "time = \"when\"\nvalue = 4\nstart = \"2023-05-01\"\nend = \"2023-05-03\"\n"
                               "[parameters]\nAK = { min = 0.1, max = 1000.0 }\n");
  const FitCase c = load_fit_case(read_fit_file(folder.path("fit.toml")));
  ASSERT_EQ(c.sets[0].rows.size(), 2u);
  EXPECT_EQ(c.sets[0].rows[0].time, 0.5);
  EXPECT_EQ(c.sets[0].rows[0].value, 2.0);
  EXPECT_EQ(c.sets[0].rows[1].line, 4);
}

// Every refusal names the file and line at fault.
TEST(FitOnTheCalendar, EveryNewErrorNamesItsPlace) {
  struct Refusal {
    const char* name;
    std::string fit;    // fit.toml after its first line, case = "levee.toml"
    std::string well;   // well.csv
    std::string cases;  // levee.toml (empty: the usual)
    const char* message;
  };
  const std::string dated = "when,head\n2023-05-01 12:00,0.1\n2023-05-02 12:00,0.2\n";
  const std::string obs = kObservations;
  const std::string par = "[parameters]\nAK = { min = 0.1, max = 1000.0 }\n";
  const Refusal refusals[] = {
      {"both deck and case", "deck = \"d.dat\"\n" + obs + par, dated, "",
       "fit.toml:1: case (line 1) and deck (line 2) both name the model to start from; keep one"},
      {"a date without a case", "#\n" + obs + par, dated, "",
       "well.csv:2: column 1 (time): '2023-05-01 12:00' is a date, and dates need a calendar"},
      {"a format without a case", "#\n" + obs + "format = \"%d/%m/%Y\"\n" + par, dated, "",
       "fit.toml:6: observations[1]: dates need a calendar, which a deck has not"},
      {"a malformed date", obs + par, "when,head\n2023-05-01 12:00,0.1\n2023-05-32 12:00,0.2\n", "",
       "well.csv:3: the time '2023-05-32 12:00' is not a date in ISO 8601"},
      {"a date not in the format", obs + "format = \"%d/%m/%Y %H:%M\"\n" + par, dated, "",
       "well.csv:2: the time '2023-05-01 12:00' is not a date in the form \"%d/%m/%Y %H:%M\""},
      {"a zone the database lacks", obs + "zone = \"Europe/Atlantis\"\n" + par, dated, "", "fit.toml:5: zone: "},
      {"dates on a case without a calendar", obs + par, dated, "numeric",
       "well.csv:2: the time '2023-05-01 12:00' is a date, but the case has no calendar"},
      {"a zone on a case without a calendar", obs + "zone = \"UTC\"\n" + par, "t,h\n1,0.1\n2,0.2\n", "numeric",
       "fit.toml:5: dates need a calendar, and the case levee.toml has none"},
      {"a column the header lacks", obs + "value = \"level\"\n" + par, dated, "",
       "well.csv:1: the header has no column 'level'"},
      {"end before start", obs + "start = 2.0\nend = 1.0\n" + par, dated, "",
       "fit.toml:6: end: must be later than start (line 5)"},
      {"a date after the run", obs + par, "when,head\n2023-05-01 12:00,0.1\n2023-05-07 12:00,0.2\n", "",
       "well.csv:3: time 6.5 (2023-05-07T12:00:00+00:00) lies outside the computed times 0 "},
      {"a case that is not there", obs + par, dated, "missing",
       "fit.toml:1: case: 'levee.toml' is not a readable file"},
      {"a case at fault", obs + par, dated, "title = 3\n", "levee.toml:1: "},
  };
  for (const Refusal& r : refusals) {
    const TempFolder folder;
    folder.write("stage.csv", stage_csv());
    std::string case_text = case_toml(10.0, 30.0);
    if (r.cases == "numeric") {
      // Times in days, no origin: a case without a calendar.
      folder.write("stage.csv", "t,s\n0,0\n1,0.5\n2,1\n3,0.5\n4,0\n");
      case_text.replace(case_text.find("time = \"Date\""), 13, "time = 1");
      case_text.replace(case_text.find("value = \"Stage\""), 15, "value = 2");
      case_text.replace(case_text.find("\"2 h\""), 5, "0.25");
    }
    if (r.cases == "title = 3\n") case_text = r.cases;
    if (r.cases != "missing") folder.write("levee.toml", case_text);
    folder.write("well.csv", r.well);
    const std::string first =
        r.name == std::string("a date without a case") || r.name == std::string("a format without a case")
            ? "deck = \"d.dat\"\n"
            : "case = \"levee.toml\"\n";
    if (first.rfind("deck", 0) == 0) {
      Deck d = testing::flood_deck();
      folder.write("d.dat", write_deck(d));
    }
    folder.write("fit.toml", first + r.fit);
    try {
      (void)load_fit_case(read_fit_file(folder.path("fit.toml")));
      ADD_FAILURE() << r.name << ": accepted";
    } catch (const FitInputError& e) {
      const std::string what = e.what();
      const std::string root = folder.path("").string();
      std::string shown = what;
      for (std::size_t at; (at = shown.find(root)) != std::string::npos;) shown.erase(at, root.size());
      EXPECT_NE(shown.find(r.message), std::string::npos) << r.name << ": " << shown;
      EXPECT_EQ(shown.find('\n'), std::string::npos) << r.name;
    }
  }
}

// The fitted case is an output like the others: refused when it is an input.
TEST(FitOnTheCalendar, TheFittedCaseIsRefusedWhereItWouldOverwriteTheCase) {
  const TempFolder folder;
  folder.write("stage.csv", stage_csv());
  folder.write("fit.fitted.toml", case_toml(3.0, 100.0));
  folder.write("well.csv", true_heads(folder));
  folder.write("fit.toml", std::string("case = \"fit.fitted.toml\"\n") + kObservations + kParameters);
  const std::string before = testing::file_text(folder.path("fit.fitted.toml"));
  const int status = run(std::string(KESTA_FIT_EXE) + " --quiet '" + folder.path("fit.toml").string() + "' >'" +
                         folder.path("out").string() + "' 2>'" + folder.path("err").string() + "'");
  EXPECT_EQ(status, 2);
  EXPECT_NE(testing::file_text(folder.path("err"))
                .find("the fitted case " + folder.path("fit.fitted.toml").string() + " is the case"),
            std::string::npos)
      << testing::file_text(folder.path("err"));
  EXPECT_EQ(testing::file_text(folder.path("fit.fitted.toml")), before);
  EXPECT_FALSE(std::filesystem::exists(folder.path("fit.fitted.dat")));
}

// kesta-fit's status for a malformed date is its input error's, one line.
TEST(FitOnTheCalendar, AMalformedDateEndsTheProgramWithStatusTwo) {
  const TempFolder folder;
  folder.write("stage.csv", stage_csv());
  folder.write("levee.toml", case_toml(3.0, 100.0));
  folder.write("well.csv", "date,head\n2023-05-01 08:00,0.1\n2023-13-01 08:00,0.2\n");
  folder.write("fit.toml", std::string("case = \"levee.toml\"\n") + kObservations + kParameters);
  const int status = run(std::string(KESTA_FIT_EXE) + " --quiet '" + folder.path("fit.toml").string() + "' >'" +
                         folder.path("out").string() + "' 2>'" + folder.path("err").string() + "'");
  EXPECT_EQ(status, 2);
  const std::string err = testing::file_text(folder.path("err"));
  EXPECT_EQ(err, "kesta-fit: " + folder.path("well.csv").string() +
                     ":3: the time '2023-13-01 08:00' is not a date in ISO 8601 (such as 2023-05-01T01:07:00+02:00, "
                     "2023-05-01 01:07 or 2023-05-01)\n");
  EXPECT_FALSE(std::filesystem::exists(folder.path("fit.residuals.csv")));
}

}  // namespace
}  // namespace kesta::fit_detail
