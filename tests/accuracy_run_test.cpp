// The inversion warning of complete runs: it appears where the Stehfest error
// reaches the printed digits, names the NS that prints them correctly, and
// that NS runs without it; the report, plot file and exit status stay as they are.
#include <stdlib.h>

#include <gtest/gtest.h>

#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

struct Outputs {
  RunResult result;
  std::string report, plot;
};

Outputs run_deck(const std::string& deck) {
  TempFolder dir;
  write_file(dir / "deck.dat", deck);
  Outputs r{run_kesta(dir, "deck.dat\nresults.txt\nplot.txt\n"), "", ""};
  r.report = read_file(dir / "results.txt");
  r.plot = read_file(dir / "plot.txt");
  return r;
}

// An example deck with its NS (line 9), NT (line 10) and HINIT (line 8) replaced.
std::string example_with(const std::string& name, int NS, int NT, const std::string& line8 = "") {
  std::string text = read_file(source_path("examples/" + name + ".dat"));
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
    lines.push_back(text.substr(at, text.find('\n', at) - at));
  if (!line8.empty()) lines[7] = line8;
  lines[8] = std::to_string(NS);
  lines[9] = std::to_string(NT);
  std::string deck;
  for (std::size_t n = 0; n < lines.size(); ++n)
    if (n < 10 || n < 10 + static_cast<std::size_t>(NT)) deck += lines[n] + "\n";
  return deck;
}

struct WarningCase {
  const char* name;
  std::string deck_name;
  int NS, NT;
  std::string line8;
  const char* quantity;  // the column the warning must name
};

// A steady leaky head near 0.6 m (HINIT 0) printed through the rounding noise
// of twenty terms; a finite valley aquifer through the truncation of six.
const WarningCase kCases[] = {
    {"leaky_steady_at_NS_20", "leaky-constant-head", 20, 121, "200.0  0.0  0.0", "head"},
    {"finite_width_at_NS_6", "finite-width-confined", 6, 20, "", "seepage"},
};

class InversionWarning : public ::testing::TestWithParam<WarningCase> {};

TEST_P(InversionWarning, AppearsAndTheAdvisedNsPrintsWithoutIt) {
  const WarningCase& c = GetParam();
  const Outputs warned = run_deck(example_with(c.deck_name, c.NS, c.NT, c.line8));
  EXPECT_EQ(warned.result.status, 0);
  ASSERT_TRUE(only_warnings(warned.result.err)) << warned.result.err;
  EXPECT_NE(warned.result.err.find("with NS = " + std::to_string(c.NS)), std::string::npos) << warned.result.err;
  EXPECT_NE(warned.result.err.find(std::string("warning: ") + c.quantity + ":"), std::string::npos)
      << warned.result.err;

  // "... NS = <n> prints correct digits ...": the number before the phrase.
  const std::string phrase = " prints correct digits";
  const auto at = warned.result.err.find(phrase);
  ASSERT_NE(at, std::string::npos) << warned.result.err;
  const auto number = warned.result.err.rfind("NS = ", at);
  ASSERT_NE(number, std::string::npos) << warned.result.err;
  const int NS = std::stoi(warned.result.err.substr(number + 5, at - number - 5));
  EXPECT_GE(NS, 6);
  EXPECT_LE(NS, 18);
  const Outputs clean = run_deck(example_with(c.deck_name, NS, c.NT, c.line8));
  EXPECT_EQ(clean.result.status, 0);
  EXPECT_EQ(clean.result.err, "");

  // The warning leaves the outputs alone: the report differs only in the NS it echoes.
  ASSERT_FALSE(warned.plot.empty());
  EXPECT_NE(warned.plot, clean.plot);
  EXPECT_EQ(warned.report.size(), clean.report.size());
}

INSTANTIATE_TEST_SUITE_P(Decks, InversionWarning, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A long record is checked on a thread of its own while the table is written;
// the warning, report and plot file are the same bytes on one thread or more.
TEST(InversionWarning, SameBytesOnOneThreadOrMore) {
  const std::string deck = example_with("daily-stage-record", 20, 3000);
  setenv("OMP_NUM_THREADS", "1", 1);
  const Outputs alone = run_deck(deck);
  setenv("OMP_NUM_THREADS", "2", 1);
  const Outputs shared = run_deck(deck);
  unsetenv("OMP_NUM_THREADS");
  EXPECT_EQ(alone.result.status, 0);
  EXPECT_NE(alone.result.err, "");  // twenty terms over 3000 days reach the printed digits
  EXPECT_EQ(shared.result.err, alone.result.err);
  EXPECT_EQ(shared.report, alone.report);
  EXPECT_EQ(shared.plot, alone.plot);
}

}  // namespace
}  // namespace kesta::testing
