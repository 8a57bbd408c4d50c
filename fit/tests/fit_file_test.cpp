#include "fit/input/fit_file.hpp"

#include <gtest/gtest.h>

#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

constexpr const char* kValid = R"(deck = "creek.dat"
[[observations]]
file = "well-7.csv"
kind = "head"
distance = 150
[[observations]]
file = "gauging.csv"
kind = "seepage"
[parameters]
XAA = { min = 1.0, max = 1000.0 }
AK  = { initial = 5.0, min = 0.01, max = 500.0 }
HINIT = { initial = -2 }
[solver]
max_iterations = 40
)";

TEST(FitFile, ReadsEveryKey) {
  const FitFile f = parse_fit_file(kValid, "fit.toml", "data");
  EXPECT_EQ(f.deck, "creek.dat");
  EXPECT_EQ(f.deck_path, std::filesystem::path("data/creek.dat"));
  ASSERT_EQ(f.observations.size(), 2u);
  EXPECT_EQ(f.observations[0].path, std::filesystem::path("data/well-7.csv"));
  EXPECT_EQ(f.observations[0].kind, Kind::Head);
  EXPECT_EQ(f.observations[0].distance, 150.0);
  EXPECT_EQ(f.observations[0].distance_line, 5);
  EXPECT_EQ(f.observations[1].kind, Kind::Seepage);
  EXPECT_FALSE(f.observations[1].distance);
  // In the deck's order, whatever the order in the file.
  ASSERT_EQ(f.parameters.size(), 3u);
  EXPECT_EQ(f.parameters[0].info->name, "AK");
  EXPECT_EQ(f.parameters[0].initial, 5.0);
  EXPECT_EQ(f.parameters[0].line, 11);
  EXPECT_EQ(f.parameters[1].info->name, "XAA");
  EXPECT_FALSE(f.parameters[1].initial);
  EXPECT_EQ(f.parameters[1].max, 1000.0);
  EXPECT_EQ(f.parameters[2].info->name, "HINIT");
  EXPECT_EQ(f.parameters[2].initial, -2.0);
  EXPECT_EQ(f.max_iterations, 40);
  // Not given: AR(1) noise, one start, the deck's NS.
  EXPECT_TRUE(f.ar1);
  EXPECT_EQ(f.starts, 1);
  EXPECT_EQ(f.ns_choice, NsChoice::Deck);
  const FitFile g = parse_fit_file("noise = \"independent\"\nstarts = 12\n" + std::string(kValid), "fit.toml", ".");
  EXPECT_FALSE(g.ar1);
  EXPECT_EQ(g.starts, 12);
  EXPECT_EQ(g.starts_line, 2);
}

// Each error names the key and its line; line 0 when the key is missing.
TEST(FitFile, FaultsNameKeyAndLine) {
  const std::string obs = "[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n";
  const std::string deck = "deck = \"d.dat\"\n";
  const std::string par = "[parameters]\nAK = { min = 1.0, max = 10.0 }\n";
  const struct {
    std::string text;
    int line;
    const char* message;
  } cases[] = {
      {"deck = \"d.dat\n", 1, ""},  // TOML syntax: toml++'s own words
      {deck + "decks = 1\n" + obs + par, 2, "unknown key 'decks'"},
      {"deck = 5\n" + obs + par, 1, "deck: expected a string"},
      {obs + par, 0, "missing key 'deck'"},
      {deck + par, 0, "missing [[observations]]"},
      {deck + "observations = 5\n" + par, 2, "observations: expected [[observations]]"},
      {deck + obs + "weight = 2\n" + par, 5, "unknown key 'weight' observations[1]"},
      {deck + "[[observations]]\nfile = \"w.csv\"\nkind = \"flow\"\n" + par, 4,
       "kind: expected \"head\" or \"seepage\""},
      {deck + "[[observations]]\nfile = \"w.csv\"\n" + par, 2, "missing key 'kind'"},
      {deck + "[[observations]]\nkind = \"head\"\n" + par, 2, "missing key 'file'"},
      {deck + "[[observations]]\nfile = \"w.csv\"\nkind = \"seepage\"\ndistance = 5.0\n" + par, 5,
       "distance: not used for seepage"},
      {deck + obs + "distance = \"far\"\n" + par, 5, "distance: expected a number"},
      {deck + obs, 0, "missing [parameters]"},
      {deck + obs + "[parameters]\n", 5, "no parameter to estimate"},
      {deck + obs + "[parameters]\nAX = { min = 1.0 }\n", 6, "unknown parameter 'AX'; can be estimated: AK, AS"},
      {deck + obs + "[parameters]\nAK = 5.0\n", 6, "parameters.AK: expected a table"},
      {deck + obs + "[parameters]\nAK = { start = 5.0 }\n", 6, "unknown key 'start' parameters.AK"},
      {deck + obs + "[parameters]\nAK = { min = 10.0, max = 1.0 }\n", 6, "parameters.AK min: must be below max (1)"},
      {deck + obs + "[parameters]\nAK = { min = 1.0, max = 1.0 }\n", 6, "parameters.AK min: must be below max"},
      {deck + obs + "[parameters]\nAK = { initial = 50.0, min = 1.0, max = 10.0 }\n", 6,
       "parameters.AK initial: lies outside the bounds"},
      {deck + obs + "[parameters]\nAS = { min = 0.0 }\n", 6, "parameters.AS min: must be positive"},
      {deck + obs + "[parameters]\nAK = { max = inf }\n", 6, "parameters.AK max: expected a finite number"},
      {deck + obs + "[parameters]\nAK = { max = \"big\" }\n", 6, "parameters.AK max: expected a number"},
      {deck + obs + par + "[solver]\nmax_iterations = 0\n", 8, "solver max_iterations: expected 1 to"},
      {deck + obs + par + "[solver]\nmax_iterations = 2.5\n", 8, "solver max_iterations: expected a whole number"},
      {deck + obs + par + "[solver]\ntolerance = 1\n", 8, "unknown key 'tolerance' solver"},
      {deck + "ns = \"best\"\n" + obs + par, 2, "ns: expected \"auto\" or a whole number"},
      {deck + "ns = 12.0\n" + obs + par, 2, "ns: expected \"auto\" or a whole number"},
      {deck + "ns = 1\n" + obs + par, 2, "ns: expected 2 to 20"},
      {deck + "ns = 22\n" + obs + par, 2, "ns: expected 2 to 20"},
      {deck + "starts = 0\n" + obs + par, 2, "starts: expected 1 to 1000"},
      {deck + "starts = 2.5\n" + obs + par, 2, "starts: expected a whole number"},
      {deck + "noise = 5\n" + obs + par, 2, "noise: expected a string"},
      {deck + "noise = \"white\"\n" + obs + par, 2, "noise: expected \"ar1\" or \"independent\""},
      {deck + "inversion = 1\n" + obs + par, 2, "inversion: expected a string"},
      {deck + "inversion = \"Contour\"\n" + obs + par, 2, "inversion: expected \"contour\" or \"stehfest\""},
      {deck + "inversion = \"contour\"\nns = \"auto\"\n" + obs + par, 2, "but ns is given on line 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      parse_fit_file(c.text, "fit.toml", ".");
      ADD_FAILURE() << "no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(e.file(), "fit.toml");
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// The whole message, for faults whose words the user reads as they stand.
TEST(FitFile, MessagesInFull) {
  const std::string obs = "[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n";
  const std::string deck = "deck = \"d.dat\"\n";
  const std::string par = "[parameters]\nAK = { min = 1.0, max = 10.0 }\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {deck + "decks = 1\n" + obs + par,
       "fit.toml:2: unknown key 'decks'; a fit file has deck (or case), inversion, ns, noise, starts, bands, units, "
       "[[observations]], [parameters], [solver] and [prediction]"},
      {deck + "inversion = \"laplace\"\n" + obs + par,
       "fit.toml:2: inversion: expected \"contour\" or \"stehfest\", not \"laplace\""},
      {deck + "ns = 12\n\ninversion = \"contour\"\n" + obs + par,
       "fit.toml:4: inversion: \"contour\" takes no ns, but ns is given on line 2: remove ns, or write inversion = "
       "\"stehfest\" to keep the Stehfest inversion at that order"},
      {deck + obs + "[parameters]\nHINIT = { initial = 1e300 }\n",
       "fit.toml:6: parameters.HINIT initial: 1e+300 is larger in magnitude than 1e+100, the largest kesta-fit takes"},
      {deck + obs + "[parameters]\nHINIT = { min = -1e155 }\n",
       "fit.toml:6: parameters.HINIT min: -1e+155 is larger in magnitude than 1e+100, the largest kesta-fit takes"},
      {deck + obs + "distance = 1e200\n" + par,
       "fit.toml:5: observations[1] distance: 1e+200 is larger in magnitude than 1e+100, the largest kesta-fit takes"},
      {deck + obs + "[parameters]\nAS = { initial = 1e-300 }\n",
       "fit.toml:6: parameters.AS initial: 1e-300 is smaller than 1e-100, the smallest positive value kesta-fit takes"},
      {deck + "\x01" + obs + par,
       "fit.toml:2: column 1 holds the byte 0x01, which is not text; a fit file is TOML text"},
      {deck + "# " + std::string(70000, '-') + "\n" + obs + par,
       "fit.toml:2: the line is longer than 64 KiB; a fit file is TOML text of short lines"},
      {std::string(1100000, '\n'),
       "fit.toml: holds more than 1 MiB, the most a fit file may hold; a fit file is TOML text"},
      {deck + "\nbands = { level = 1.0 }\n" + obs + par,
       "fit.toml:3: bands level: 1 is not a probability between 0 and 1 (exclusive), such as 0.9"},
      {deck + "bands = { level = -0.5 }\n" + obs + par,
       "fit.toml:2: bands level: -0.5 is not a probability between 0 and 1 (exclusive), such as 0.9"},
      {deck + "bands = { level = \"95%\" }\n" + obs + par, "fit.toml:2: bands level: expected a number"},
      {deck + "bands = 0.9\n" + obs + par, "fit.toml:2: bands: expected a table such as { level = 0.9 }"},
      {deck + "bands = { levels = 0.9 }\n" + obs + par,
       "fit.toml:2: unknown key 'levels' bands; the bands table has level, ensemble, seed and distances"},
  };
  for (const auto& c : cases) {
    try {
      parse_fit_file(c.text, "fit.toml", ".");
      ADD_FAILURE() << c.message << ": no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  // A byte-order mark before the first key is no fault, nor are the limits themselves.
  EXPECT_EQ(parse_fit_file("\xEF\xBB\xBF" + deck + obs + par, "fit.toml", ".").deck, "d.dat");
  const FitFile limits = parse_fit_file(
      deck + obs + "[parameters]\nAS = { initial = 1e-100 }\nHINIT = { initial = -1e100 }\n", "fit.toml", ".");
  EXPECT_EQ(limits.parameters.size(), 2u);
  EXPECT_EQ(parse_fit_file(deck + obs + par, "fit.toml", ".").band_level, 0.95);
  EXPECT_EQ(parse_fit_file(deck + "bands = { level = 0.9 }\n" + obs + par, "fit.toml", ".").band_level, 0.9);
}

TEST(FitFile, NsIsTheDecksAutoOrANumber) {
  const std::string rest = "[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n[parameters]\nAK = {}\n";
  const struct {
    const char* line;
    NsChoice choice;
    int ns;
  } cases[] = {{"", NsChoice::Deck, 0}, {"ns = \"auto\"\n", NsChoice::Auto, 0}, {"ns = 14\n", NsChoice::Given, 14}};
  for (const auto& c : cases) {
    const FitFile f = parse_fit_file("deck = \"d.dat\"\n" + std::string(c.line) + rest, "fit.toml", ".");
    EXPECT_EQ(f.ns_choice, c.choice) << c.line;
    EXPECT_EQ(f.ns, c.ns) << c.line;
  }
}

// The contour inversion unless the file names the Stehfest sum, or gives an
// ns of its own as files written before the contour inversion do.
TEST(FitFile, InversionIsContourUnlessStehfestOrNsIsGiven) {
  const std::string rest = "[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n[parameters]\nAK = {}\n";
  const struct {
    const char* lines;
    InversionMethod inversion;
    int inversion_line;
    NsChoice choice;
  } cases[] = {
      {"", InversionMethod::Contour, 0, NsChoice::Deck},
      {"inversion = \"contour\"\n", InversionMethod::Contour, 2, NsChoice::Deck},
      {"inversion = \"stehfest\"\n", InversionMethod::Stehfest, 2, NsChoice::Deck},
      {"ns = 14\n", InversionMethod::Stehfest, 0, NsChoice::Given},
      {"ns = \"auto\"\n", InversionMethod::Stehfest, 0, NsChoice::Auto},
      {"ns = 14\ninversion = \"stehfest\"\n", InversionMethod::Stehfest, 3, NsChoice::Given},
      {"inversion = \"stehfest\"\nns = \"auto\"\n", InversionMethod::Stehfest, 2, NsChoice::Auto},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    const FitFile f = parse_fit_file("deck = \"d.dat\"\n" + std::string(c.lines) + rest, "fit.toml", ".");
    EXPECT_EQ(f.inversion, c.inversion);
    EXPECT_EQ(f.inversion_line, c.inversion_line);
    EXPECT_EQ(f.ns_choice, c.choice);
  }
}

// HINIT is not log-scaled: negative values and bounds are fine.
TEST(FitFile, LinearParameterTakesNegativeBounds) {
  const std::string text =
      "deck = \"d.dat\"\n[[observations]]\nfile = \"w.csv\"\nkind = \"head\"\n"
      "[parameters]\nHINIT = { initial = -3, min = -10, max = -1 }\n";
  const FitFile f = parse_fit_file(text, "fit.toml", ".");
  EXPECT_EQ(f.parameters[0].min, -10.0);
}

}  // namespace
}  // namespace kesta::fit_detail
