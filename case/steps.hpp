#pragma once
// From readings to the model's steps. The model holds each stress constant
// over a time step, and the value of time-stress line k acts over the step
// that ends at the time of result row k. So line 1 (the reference state) is
// the record's level at the start, and line k >= 2 the mean of the record,
// drawn as straight lines between its readings, over
// [start + (k-2)·step, start + (k-1)·step].
#include <functional>
#include <string>
#include <vector>

#include "case/dated_record.hpp"

namespace kesta {

struct StepRule {
  double start = 0.0;    // on the record's time axis
  double step = 0.0;     // likewise
  int count = 0;         // NT, at least 2
  double max_gap = 0.0;  // the longest stretch between two readings that is bridged
};

struct StepSeries {
  std::vector<double> values;       // one per time-stress line
  int readings_used = 0;            // readings whose straight lines reach into the run
  int gaps_bridged = 0;             // stretches over missing values or longer than the usual spacing
  double largest_difference = 0.0;  // of a reading in the run from the steps that hold it
  int largest_difference_line = 0;
};

// The record's level at a time within its span, on the straight line between
// the readings either side.
double level_at(const std::vector<Reading>& readings, double time);

// The lowest level of the record over [from, to].
double lowest_level(const std::vector<Reading>& readings, double from, double to);

// The usual spacing of the readings (the median interval).
double usual_spacing(const std::vector<Reading>& readings);

// Applies the rule to levels that are the readings' values minus `datum`.
// Throws CaseError naming the record: a run outside the record's span, or a
// gap longer than max_gap (naming the readings either side and their lines).
// `time_text` writes a time of the axis for messages.
using TimeText = std::function<std::string(double time)>;
StepSeries to_steps(const Record& record, double datum, const StepRule& rule, const TimeText& time_text);

}  // namespace kesta
