// The step rule: line 1 is the record's level at the start, line k the mean
// of the straight lines between readings over the step that ends at row k.
// Every expected series is worked by hand from the readings (trapezoids).
#include <gtest/gtest.h>

#include "case/case_error.hpp"
#include "case/steps.hpp"

namespace kesta {
namespace {

Record numeric_record(const std::vector<std::pair<double, double>>& points, std::vector<int> missing_before = {}) {
  Record record;
  record.shown = "stage.csv";
  for (std::size_t i = 0; i < points.size(); ++i)
    record.readings.push_back({points[i].first, points[i].second, static_cast<int>(i) + 2,
                               i < missing_before.size() ? missing_before[i] : 0});
  return record;
}

std::string plain(double t) { return std::to_string(t); }

struct StepCase {
  std::string what;
  std::vector<std::pair<double, double>> readings;
  double datum;
  StepRule rule;
  std::vector<double> steps;
  double largest_difference;
  int largest_line;
};

TEST(CaseSteps, MeanOfTheRecordOverEachStepEndingAtItsRow) {
  const std::vector<std::pair<double, double>> rise = {{0, 0}, {1, 1}, {2, 3}, {3, 3}, {4, 2}};
  const StepCase cases[] = {
      // Readings at the step times: each step is the mean of the readings at its ends.
      {"readings at the steps", rise, 0.0, {0, 1, 5, 10}, {0, 0.5, 2, 3, 2.5}, 1.0, 3},
      // The same less a datum of 1: every level and step 1 lower, differences alike.
      {"a datum", rise, 1.0, {0, 1, 5, 10}, {-1, -0.5, 1, 2, 1.5}, 1.0, 3},
      // Readings two steps apart: the line 2t averages 1 over [0, 1] and 3 over [1, 2].
      {"readings coarser than the steps", {{0, 0}, {2, 4}}, 0.0, {0, 1, 3, 10}, {0, 1, 3}, 1.0, 2},
      // A saw of half-step teeth averages half its height over every step.
      {"readings finer than the steps",
       {{0, 0}, {0.5, 2}, {1, 0}, {1.5, 2}, {2, 0}},
       0.0,
       {0, 1, 3, 10},
       {0, 1, 1},
       1.0,
       2},
      // Starting half-way between readings: r(0.5) = 0.5; over [0.5, 1.5]
      // 0.5·(0.5+1)/2 + 0.5·(1+2)/2 = 1.125; over [1.5, 2.5] 0.5·(2+3)/2 + 0.5·3
      // = 2.75; over [2.5, 3.5] 0.5·3 + 0.5·(3+2.5)/2 = 2.875.
      {"a start between readings", rise, 0.0, {0.5, 1, 4, 10}, {0.5, 1.125, 2.75, 2.875}, 0.25, 4},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.what);
    const StepSeries s = to_steps(numeric_record(c.readings), c.datum, c.rule, plain);
    ASSERT_EQ(s.values.size(), c.steps.size());
    for (std::size_t k = 0; k < c.steps.size(); ++k) EXPECT_DOUBLE_EQ(s.values[k], c.steps[k]) << "line " << k + 1;
    EXPECT_DOUBLE_EQ(s.largest_difference, c.largest_difference);
    EXPECT_EQ(s.largest_difference_line, c.largest_line);
  }
}

struct GapCase {
  std::string what;
  std::vector<std::pair<double, double>> readings;
  std::vector<int> missing_before;
  double max_gap;
  int bridged;        // when accepted
  std::string error;  // when refused
};

TEST(CaseSteps, GapsAreBridgedUpToMaxGapAndRefusedBeyond) {
  const GapCase cases[] = {
      {"every reading there", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}, {}, 4.0, 0, ""},
      // 2 to 5 is three usual spacings: bridged by a straight line.
      {"a stretch without readings", {{0, 0}, {1, 1}, {2, 2}, {5, 5}, {6, 6}}, {}, 4.0, 1, ""},
      // A missing value between readings one spacing apart is still a gap.
      {"missing values", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}, {0, 0, 0, 1, 0, 0}, 4.0, 1, ""},
      {"a gap longer than max_gap",
       {{0, 0}, {1, 1}, {2, 2}, {5, 5}, {6, 6}},
       {},
       2.5,
       0,
       "stage.csv:5: a gap from the reading at 2.000000 (line 4) to the reading at 5.000000 (line 5) is longer than "
       "max_gap; shorten the run or raise max_gap"},
  };
  for (const GapCase& c : cases) {
    SCOPED_TRACE(c.what);
    const StepRule rule{0.0, 1.0, 6, c.max_gap};
    const Record record = numeric_record(c.readings, c.missing_before);
    if (c.error.empty()) {
      const StepSeries s = to_steps(record, 0.0, rule, plain);
      EXPECT_EQ(s.gaps_bridged, c.bridged);
      // A straight record is its own steps' straight line: each step is the
      // level at its middle, gaps or not.
      for (int k = 2; k <= 6; ++k) EXPECT_DOUBLE_EQ(s.values[static_cast<std::size_t>(k - 1)], k - 1.5);
    } else {
      try {
        (void)to_steps(record, 0.0, rule, plain);
        ADD_FAILURE() << "accepted";
      } catch (const CaseError& e) {
        EXPECT_EQ(std::string(e.what()), c.error);
      }
    }
  }
}

TEST(CaseSteps, ARunOutsideTheRecordIsRefusedNamingTheReading) {
  const Record record = numeric_record({{1, 0}, {2, 1}, {3, 2}});
  const std::pair<StepRule, std::string> cases[] = {
      {{0.5, 1, 2, 10}, "stage.csv:2: the run starts at 0.500000, before the record's first reading (1.000000)"},
      {{1, 1, 4, 10}, "stage.csv:4: the run's last step ends at 4.000000, after the record's last reading (3.000000)"},
  };
  for (const auto& [rule, message] : cases) {
    try {
      (void)to_steps(record, 0.0, rule, plain);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const CaseError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

// Found by the fuzzer: levels near the largest double overflow the trapezoids.
TEST(CaseSteps, LevelsTooLargeToAverageAreRefused) {
  try {
    (void)to_steps(numeric_record({{0, 1e308}, {1, 1.5e308}, {2, 0}}), 0.0, {0, 1, 3, 10}, plain);
    ADD_FAILURE() << "accepted";
  } catch (const CaseError& e) {
    EXPECT_EQ(std::string(e.what()),
              "stage.csv:2: the levels from 0.000000 to 1.000000 are too large to be averaged over the step");
  }
}

TEST(CaseSteps, LevelsBetweenReadingsAndTheLowest) {
  const std::vector<Reading> r = numeric_record({{0, 2}, {2, 0}, {4, 3}}).readings;
  EXPECT_DOUBLE_EQ(level_at(r, 1.0), 1.0);
  EXPECT_DOUBLE_EQ(level_at(r, 2.0), 0.0);
  EXPECT_DOUBLE_EQ(lowest_level(r, 0.0, 1.0), 1.0);  // the reading of 0 lies beyond
  EXPECT_DOUBLE_EQ(lowest_level(r, 0.0, 4.0), 0.0);
  EXPECT_DOUBLE_EQ(usual_spacing(numeric_record({{0, 0}, {1, 0}, {2, 0}, {10, 0}}).readings), 1.0);
}

}  // namespace
}  // namespace kesta
