#include "fit/estimation/identifiability.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fit/estimation/estimates.hpp"
#include "fit/tests/synthetic_models.hpp"

namespace kesta::fit_detail {
namespace {

using testing::batch_of;
using testing::even_times;

struct Case {
  const char* name;
  testing::PointModel model;
  std::vector<FreeParameter> parameters;
  std::vector<double> truth;
  Finding::Kind kind;
  std::vector<std::size_t> concerned;
  std::string expression;  // of the combination the data fix; empty: none
  double value;            // of that combination at the truth
};

LeastSquaresFit fit_with_noise(const Case& c, std::vector<double>& times) {
  times = even_times(40, 10.0);
  std::mt19937 random(7);
  std::normal_distribution<double> error(0.0, 1e-3);
  Observed o;
  for (double t : times) {
    o.value.push_back(c.model(t, c.truth) + error(random));
    o.weight.push_back(1.0);
  }
  return fit_least_squares(c.parameters, o, batch_of(c.model, times), {});
}

TEST(Identifiability, ReportsWhatTheDataCannotSeparate) {
  const Case cases[] = {
      {"ratio only",
       testing::ratio_only,
       {{"AK", Scale::Log, 3.0, 1e-3, 1e3}, {"AS", Scale::Log, 1.0, 1e-3, 1e3}},
       {5.0, 10.0},
       Finding::Kind::NotSeparable,
       {0, 1},
       "AK/AS",
       0.5},
      {"no effect",
       [](double t, const std::vector<double>& p) { return p[0] * (1.0 - std::exp(-t)); },
       {{"AK", Scale::Log, 1.0, 1e-3, 1e3}, {"XLL", Scale::Log, 100.0, 1.0, 1e4}},
       {2.0, 100.0},
       Finding::Kind::NoEffect,
       {1},
       "",
       0.0},
      {"square root of a product",
       [](double t, const std::vector<double>& p) { return std::sqrt(p[0] * p[1]) * t + p[2]; },
       {{"AK", Scale::Log, 1.0, 1e-3, 1e3}, {"XAA", Scale::Log, 1.0, 1e-3, 1e3}, {"HINIT", Scale::Linear, 0.0}},
       {4.0, 9.0, 0.5},
       Finding::Kind::NotSeparable,
       {0, 1},
       "AK*XAA",
       36.0},
      {"a sum of a value and a logarithm",
       [](double t, const std::vector<double>& p) { return p[1] + 0.5 * std::log(p[0]) + 0.1 * t; },
       {{"AK", Scale::Log, 1.0, 1e-3, 1e3}, {"HINIT", Scale::Linear, 0.0}},
       {4.0, 0.3},
       Finding::Kind::NotSeparable,
       {0, 1},
       "ln(AK) + 2*HINIT",
       1.9862944},  // ln 4 + 2 * 0.3
      {"nearly collinear",
       [](double t, const std::vector<double>& p) { return p[0] * t + p[1] * (t + 0.02 * t * t); },
       {{"AK", Scale::Linear, 1.0}, {"HINIT", Scale::Linear, 1.0}},
       {1.0, 2.0},
       Finding::Kind::Correlated,
       {0, 1},
       "",
       0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> times;
    const LeastSquaresFit fit = fit_with_noise(c, times);
    const std::vector<Finding> findings = identifiability_findings(c.parameters, fit, "A seepage record");
    ASSERT_EQ(findings.size(), 1u);
    const Finding& f = findings[0];
    EXPECT_EQ(f.kind, c.kind);
    EXPECT_EQ(f.parameters, c.concerned);
    EXPECT_FALSE(f.text.empty());
    if (!c.expression.empty()) {
      ASSERT_EQ(f.determined.size(), 1u);
      EXPECT_EQ(f.determined[0].expression, c.expression);
      EXPECT_NEAR(f.determined[0].value, c.value, 1e-2 * c.value);
      ASSERT_TRUE(f.determined[0].std_error);
      EXPECT_LT(*f.determined[0].std_error, 1e-2 * c.value);
    }
    // Undetermined parameters get no standard error, determined ones do.
    const std::vector<Estimate> table = parameter_estimates(c.parameters, fit);
    for (std::size_t i = 0; i < table.size(); ++i) {
      const bool lost = c.kind != Finding::Kind::Correlated &&
                        std::find(c.concerned.begin(), c.concerned.end(), i) != c.concerned.end();
      EXPECT_EQ(table[i].std_error.has_value(), !lost) << table[i].name;
    }
  }
}

// Well-determined parameters give no finding at all.
TEST(Identifiability, SilentWhenEveryParameterIsDetermined) {
  const Case c{"recession",
               testing::recession,
               {{"A", Scale::Log, 1.0, 0.01, 100.0}, {"TAU", Scale::Log, 1.0, 0.1, 1000.0}, {"B", Scale::Linear, 0.0}},
               {2.0, 2.0, 0.3},
               Finding::Kind::NoEffect,
               {},
               "",
               0.0};
  std::vector<double> times;
  const LeastSquaresFit fit = fit_with_noise(c, times);
  EXPECT_TRUE(identifiability_findings(c.parameters, fit, "More data").empty());
}

}  // namespace
}  // namespace kesta::fit_detail
