#include "case/steps.hpp"

#include <algorithm>
#include <cmath>

#include "case/case_error.hpp"

namespace kesta {
namespace {

// A stretch between two readings counts as a gap, bridged or refused, when it
// spans missing values or is this many times the usual spacing.
constexpr double kGapSpacings = 1.5;

// The first reading at or after `time` (readings.size() when none).
std::size_t first_not_before(const std::vector<Reading>& readings, double time) {
  return static_cast<std::size_t>(
      std::lower_bound(readings.begin(), readings.end(), time, [](const Reading& r, double t) { return r.time < t; }) -
      readings.begin());
}

double on_line(const Reading& a, const Reading& b, double time, double datum) {
  const double va = a.value - datum;
  const double vb = b.value - datum;
  return va + (vb - va) * ((time - a.time) / (b.time - a.time));
}

// The integral of the straight lines over [lo, hi], starting the search at
// segment `at` (the segment from reading at to at + 1), which moves on.
double integral(const std::vector<Reading>& r, std::size_t& at, double lo, double hi, double datum) {
  while (at + 2 < r.size() && r[at + 1].time <= lo) ++at;
  double sum = 0.0;
  for (std::size_t i = at; i + 1 < r.size() && r[i].time < hi; ++i) {
    const double a = std::max(lo, r[i].time);
    const double b = std::min(hi, r[i + 1].time);
    if (b <= a) continue;
    sum += (b - a) * ((on_line(r[i], r[i + 1], a, datum) + on_line(r[i], r[i + 1], b, datum)) / 2.0);
  }
  return sum;
}

void check_span(const Record& record, const StepRule& rule, double end, const TimeText& time_text) {
  const Reading& first = record.readings.front();
  const Reading& last = record.readings.back();
  if (rule.start < first.time)
    throw CaseError(record.shown, first.line,
                    "the run starts at " + time_text(rule.start) + ", before the record's first reading (" +
                        time_text(first.time) + ")");
  if (end > last.time)
    throw CaseError(record.shown, last.line,
                    "the run's last step ends at " + time_text(end) + ", after the record's last reading (" +
                        time_text(last.time) + ")");
}

}  // namespace

double level_at(const std::vector<Reading>& readings, double time) {
  const std::size_t i = first_not_before(readings, time);
  if (i < readings.size() && readings[i].time == time) return readings[i].value;
  return on_line(readings[i - 1], readings[i], time, 0.0);
}

double lowest_level(const std::vector<Reading>& readings, double from, double to) {
  double lowest = std::min(level_at(readings, from), level_at(readings, to));
  for (std::size_t i = first_not_before(readings, from); i < readings.size() && readings[i].time <= to; ++i)
    lowest = std::min(lowest, readings[i].value);
  return lowest;
}

double usual_spacing(const std::vector<Reading>& readings) {
  std::vector<double> spacing;
  spacing.reserve(readings.size() - 1);
  for (std::size_t i = 1; i < readings.size(); ++i) spacing.push_back(readings[i].time - readings[i - 1].time);
  auto middle = spacing.begin() + static_cast<std::ptrdiff_t>(spacing.size() / 2);
  std::nth_element(spacing.begin(), middle, spacing.end());
  return *middle;
}

StepSeries to_steps(const Record& record, double datum, const StepRule& rule, const TimeText& time_text) {
  const std::vector<Reading>& r = record.readings;
  const double end = rule.start + (rule.count - 1) * rule.step;
  check_span(record, rule, end, time_text);

  StepSeries steps;
  // The stretches that reach into the run: gaps too long are refused, the others counted.
  const double usual = usual_spacing(r);
  std::size_t first = first_not_before(r, rule.start);
  if (r[first].time > rule.start) --first;
  std::size_t last = first_not_before(r, end);
  for (std::size_t i = first; i < last; ++i) {
    const double length = r[i + 1].time - r[i].time;
    if (length > rule.max_gap)
      throw CaseError(record.shown, r[i + 1].line,
                      "a gap from the reading at " + time_text(r[i].time) + " (line " + std::to_string(r[i].line) +
                          ") to the reading at " + time_text(r[i + 1].time) + " (line " +
                          std::to_string(r[i + 1].line) + ") is longer than max_gap; shorten the run or raise max_gap");
    if (r[i + 1].missing_before > 0 || length > kGapSpacings * usual) ++steps.gaps_bridged;
  }
  steps.readings_used = static_cast<int>(last - first + 1);

  steps.values.resize(static_cast<std::size_t>(rule.count));
  steps.values[0] = level_at(r, rule.start) - datum;
  std::size_t at = first;
  for (int k = 2; k <= rule.count; ++k) {
    const double lo = rule.start + (k - 2) * rule.step;
    const double hi = rule.start + (k - 1) * rule.step;
    const double mean = integral(r, at, lo, hi, datum) / (hi - lo);
    // Levels near the largest double overflow their sums: say where.
    if (!std::isfinite(mean))
      throw CaseError(
          record.shown, r[at].line,
          "the levels from " + time_text(lo) + " to " + time_text(hi) + " are too large to be averaged over the step");
    steps.values[static_cast<std::size_t>(k - 1)] = mean;
  }

  // Each reading in the run against the step or steps whose span holds it
  // (line 1 holds the start itself).
  for (std::size_t i = first_not_before(r, rule.start); i < r.size() && r[i].time <= end; ++i) {
    const double q = (r[i].time - rule.start) / rule.step;
    for (const double k : {std::floor(q) + 2.0, std::ceil(q) + 1.0}) {
      if (k > rule.count) continue;
      const double difference = std::abs((r[i].value - datum) - steps.values[static_cast<std::size_t>(k - 1)]);
      if (difference > steps.largest_difference) {
        steps.largest_difference = difference;
        steps.largest_difference_line = r[i].line;
      }
    }
  }
  return steps;
}

}  // namespace kesta
