// The caveats and the model check list the report prints, from the states of
// a fit's estimates: each state gets its warning, naming the parameters it
// concerns, and fails the check that rests on it.
#include <gtest/gtest.h>

#include <algorithm>

#include "fit/output/fit_summary.hpp"

namespace kesta::fit_detail {
namespace {

using Kind = FitWarning::Kind;

Estimate estimate(const std::string& name, const std::string& state) {
  Estimate e;
  e.name = name;
  e.initial = 1.0;
  e.value = 2.0;
  e.std_error = 0.1;
  if (state == "unmoved") e.unmoved = true;
  if (state == "unbounded") e.unbounded = true;
  if (state == "max") {
    e.at_bound = "max";
    e.std_error.reset();
  }
  return e;
}

const FitWarning* find(const std::vector<FitWarning>& warnings, Kind kind) {
  const auto it = std::find_if(warnings.begin(), warnings.end(), [&](const FitWarning& w) { return w.kind == kind; });
  return it == warnings.end() ? nullptr : &*it;
}

const ModelCheck& check(const std::vector<ModelCheck>& checks, const std::string& name) {
  const auto it = std::find_if(checks.begin(), checks.end(), [&](const ModelCheck& c) { return c.name == name; });
  EXPECT_NE(it, checks.end()) << name;
  return *it;
}

TEST(Caveats, EachStateOfTheEstimatesIsWarnedOfAndFailsItsCheck) {
  struct Row {
    std::string what;
    std::vector<std::pair<std::string, std::string>> estimates;  // name, state
    bool converged;
    int minima;
    Kind kind;                          // the warning expected
    std::vector<std::string> subjects;  // of that warning
    std::string words;                  // in its text
    std::string failed_check;           // "" for none
  };
  const Row rows[] = {
      {"one left where it started",
       {{"AK", "unmoved"}, {"AS", ""}},
       true,
       1,
       Kind::Unsettled,
       {"AK"},
       "left AK at its initial value",
       "identifiable"},
      {"two unbounded",
       {{"AK", "unbounded"}, {"XAA", "unbounded"}},
       true,
       1,
       Kind::Unsettled,
       {"AK", "XAA"},
       "The 95 % intervals of AK and XAA do not close",
       "identifiable"},
      {"at its bound",
       {{"AK", ""}, {"AS", "max"}},
       true,
       1,
       Kind::AtBound,
       {"AS"},
       "AS is at its bound (max",
       "no estimate at a bound"},
      {"stopped short", {{"AK", ""}}, false, 1, Kind::NotConverged, {}, "stopped before it converged", "converged"},
      {"several minima", {{"AK", ""}}, true, 3, Kind::SeveralMinima, {}, "3 starts found 3 distinct minima", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    FitSummary s;
    for (const auto& [name, state] : r.estimates) s.estimates.push_back(estimate(name, state));
    s.converged = r.converged;
    s.stop_reason = "the most iterations were reached.";
    s.starts.count = r.minima;
    s.starts.minima.resize(static_cast<std::size_t>(r.minima));
    const std::vector<FitWarning> warnings = caveats(s, LeastSquaresFit{}, std::nullopt);
    const FitWarning* w = find(warnings, r.kind);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->subjects, r.subjects);
    EXPECT_NE(w->text.find(r.words), std::string::npos) << w->text;
    // Only the expected warning: a state does not raise another's.
    EXPECT_EQ(warnings.size(), 1u);

    const std::vector<ModelCheck> checks = model_checks(s);
    for (const ModelCheck& c : checks) EXPECT_EQ(c.pass, c.name != r.failed_check) << c.name << ": " << c.detail;
  }
}

TEST(Caveats, ASettledFitHasNoneAndPassesEveryCheck) {
  FitSummary s;
  s.estimates = {estimate("AK", ""), estimate("AS", "")};
  s.converged = true;
  EXPECT_TRUE(caveats(s, LeastSquaresFit{}, std::nullopt).empty());
  for (const ModelCheck& c : model_checks(s)) EXPECT_TRUE(c.pass) << c.name;
  EXPECT_TRUE(check(model_checks(s), "identifiable").decisive);
}

}  // namespace
}  // namespace kesta::fit_detail
