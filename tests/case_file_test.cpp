// The case file: the aquifer by name made into the deck's codes and values,
// lengths of time, and text that trips the TOML reader (each found by the
// fuzzer) refused with its line rather than aborting or worse.
#include <gtest/gtest.h>

#include "case/case_error.hpp"
#include "case/case_file.hpp"

namespace kesta {
namespace {

const std::string kRest =
    "stream_half_width = 10.0\nstream_length = 100.0\nconductivity = 5.0\nspecific_storage = 1e-4\nthickness = 20.0\n";
const std::string kRecordAndRun = "[stage]\nfile = \"s.csv\"\n[run]\nstep = \"1 h\"\n";

CaseFile parsed(const std::string& aquifer_lines) {
  return parse_case_file("x = 50.0\n[aquifer]\n" + aquifer_lines + kRest + kRecordAndRun, "c.toml", ".");
}

struct AquiferCase {
  std::string lines;
  int IAQ, IXL, IXA;
  double XLL, XAA, AKT, ASYT;
};

TEST(CaseFile, TheAquiferByNameBecomesTheDecksCodes) {
  const std::string aquitard =
      "aquitard_conductivity = 0.02\naquitard_specific_storage = 3e-4\naquitard_thickness = 4.0\n";
  const AquiferCase cases[] = {
      {"type = \"confined\"\n", 0, 0, 0, 0, 0, 0, 0},
      {"type = \"confined\"\nwidth = 800.0\n", 0, 1, 0, 800, 0, 0, 0},
      {"type = \"confined\"\nstreambank_leakance = 60.0\n", 0, 0, 1, 0, 60, 0, 0},
      {"type = \"leaky-constant-head\"\n" + aquitard, 1, 0, 0, 0, 0, 0.02, 0},
      {"type = \"leaky-impervious-layer\"\n" + aquitard, 2, 0, 0, 0, 0, 0.02, 0},
      {"type = \"leaky-water-table\"\naquitard_specific_yield = 0.15\n" + aquitard, 3, 0, 0, 0, 0, 0.02, 0.15},
  };
  for (const AquiferCase& c : cases) {
    SCOPED_TRACE(c.lines);
    const Deck d = parsed(c.lines).aquifer;
    EXPECT_EQ(d.IAQ, c.IAQ);
    EXPECT_EQ(d.IXL, c.IXL);
    EXPECT_EQ(d.IXA, c.IXA);
    EXPECT_EQ(d.XLL, c.XLL);
    EXPECT_EQ(d.XAA, c.XAA);
    EXPECT_EQ(d.AKT, c.AKT);
    EXPECT_EQ(d.ASYT, c.ASYT);
    EXPECT_EQ(d.XZERO, 10.0);
    EXPECT_EQ(d.AB, 20.0);
  }
}

TEST(CaseFile, ValuesTheTypeDoesNotUseOrNeedsAreNamed) {
  const std::pair<std::string, std::string> cases[] = {
      {"type = \"confined\"\naquitard_thickness = 4.0\n",
       "c.toml:4: aquifer.aquitard_thickness: a confined aquifer has no aquitard"},
      {"type = \"leaky-impervious-layer\"\naquitard_specific_yield = 0.1\n",
       "c.toml:4: aquifer.aquitard_specific_yield: only a leaky-water-table aquifer's aquitard has a specific yield"},
      {"type = \"leaky-constant-head\"\n",
       "c.toml:2: missing key 'aquifer.aquitard_conductivity' (the aquitard's vertical hydraulic conductivity)"},
  };
  for (const auto& [lines, message] : cases) {
    try {
      (void)parsed(lines);
      ADD_FAILURE() << "accepted: " << lines;
    } catch (const CaseError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

TEST(CaseFile, LengthsOfTime) {
  const std::pair<std::string, std::optional<double>> cases[] = {
      {"15 min", 900.0},    {"1 h", 3600.0},         {"1.5 d", 129600.0},      {"90 s", 90.0},        {"2  h", 7200.0},
      {"15", std::nullopt}, {"15min", std::nullopt}, {"1 week", std::nullopt}, {"h 1", std::nullopt},
  };
  for (const auto& [text, seconds] : cases) EXPECT_EQ(duration_seconds(text), seconds) << text;
}

TEST(CaseFile, TextThatTripsTheTomlReaderIsRefusedWithItsLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"title = \"x\"\n[=x]\n", "c.toml:2: a table heading needs a name, such as [run]"},
      {"title = \"x\"\n[run]\nstart = 2023-05-01Tp0:00\n",
       "c.toml:3: is not TOML: a value, key or heading here is malformed"},
      {"title = \"x\"\n\xc3\xa9 = 1\n",
       "c.toml:2: a character beyond ASCII outside quotes; only strings and comments may hold one"},
      {"t = \"\"\"\\\n\n\xef\xb9\xbf\"\"\"\n",
       "c.toml:3: a character beyond ASCII right after a backslash: no escape is written so"},
      {"e = 05=\"\xef\xba\xbf[\n",
       "c.toml:1: a character beyond ASCII outside quotes; only strings and comments may hold one"},
      {"t = 120\"\"07-\xcd\xba\"\n",
       "c.toml:1: a character beyond ASCII outside quotes; only strings and comments may hold one"},
  };
  for (const auto& [text, message] : cases) {
    try {
      (void)parse_case_file(text, "c.toml", ".");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const CaseError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

TEST(CaseFile, StringsAndCommentsHoldAnyUtf8) {
  const CaseFile c = parse_case_file(
      "title = \"Peilbuis \xc3\xa9\xc3\xa9n, m\xc2\xb2\"  # \xc3\xa9\nx = 5.0\n[aquifer]\ntype = 'confined'\n" + kRest +
          "[stage]\nfile = \"\xc3\xab.csv\"\nmissing = [-9999, \"\xe2\x80\x94\"]\n[run]\nstep = 1.5\n",
      "c.toml", "f");
  EXPECT_EQ(c.title, "Peilbuis \xc3\xa9\xc3\xa9n, m\xc2\xb2");
  EXPECT_EQ(c.stage->path, std::filesystem::path("f") / "\xc3\xab.csv");
  EXPECT_EQ(c.stage->layout.missing, std::vector<std::string>{"\xe2\x80\x94"});
  EXPECT_EQ(c.stage->layout.missing_levels, std::vector<double>{-9999.0});
  EXPECT_EQ(c.step_seconds, 1.5 * 86400.0);  // a number is in the time unit, days by default
}

}  // namespace
}  // namespace kesta
