#pragma once
// Axis ranges and ticks at round numbers (1, 2 or 5 times a power of ten).
#include <string>
#include <vector>

namespace kesta::plot {

// An axis from low to high. Ticks are the multiples of step inside it.
struct AxisScale {
  double low = 0.0;
  double high = 1.0;
  double step = 0.2;

  // Where v falls between low (0) and high (1).
  double fraction(double v) const;
  std::vector<double> ticks() const;
};

// The round step, 1, 2 or 5 times a power of ten, nearest above span / intervals.
double round_step(double span, int intervals);

// A value axis over [lo, hi] widened outwards to whole steps. A range of one
// value gets a range around it so that it draws in the middle; a series that
// stays at zero gets [0, 1].
AxisScale value_axis(double lo, double hi, int intervals);

// The time axis spans exactly [first, last]; its ticks are the round numbers
// inside. One time alone gets a range from zero to twice that time.
AxisScale time_axis(double first, double last, int intervals);

// The axis that reads the same points in units factor times larger (factor >
// 0): its ends are the ends of axis times factor, its ticks round numbers of
// its own.
AxisScale scaled_axis(const AxisScale& axis, double factor, int intervals);

// Tick labels that tell the ticks of one axis apart without floating noise:
// fixed notation for moderate magnitudes, "2.5E+151" style otherwise.
std::vector<std::string> tick_labels(const AxisScale& axis, const std::vector<double>& ticks);

}  // namespace kesta::plot
