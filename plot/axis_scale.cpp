#include "plot/axis_scale.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kesta::plot {

namespace {

// Halving before subtracting keeps spans finite even near the largest double.
double half_span(double lo, double hi) { return hi * 0.5 - lo * 0.5; }

}  // namespace

double AxisScale::fraction(double v) const {
  const double span = half_span(low, high);
  return span > 0.0 ? half_span(low, v) / span : 0.5;
}

std::vector<double> AxisScale::ticks() const {
  std::vector<double> out;
  if (!(step > 0.0)) return out;
  // Ends that are whole steps can divide to 6.9999999 steps; they still count.
  constexpr double kSlack = 1e-9;
  const double first = std::ceil(low / step - kSlack);
  const double last = std::floor(high / step + kSlack);
  // A tick count guard: a step far below the span would make millions of ticks.
  if (!(last - first < 1000.0)) return out;
  for (double k = first; k <= last; k += 1.0) out.push_back(k == 0.0 ? 0.0 : k * step);
  return out;
}

double round_step(double span, int intervals) {
  if (!(span > 0.0) || !std::isfinite(span)) return 1.0;
  const double raw = span / intervals;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0}) {
    // A tolerance of a few ulps stops 0.3 / 3 from choosing 2 over 1.
    if (m * power >= raw * (1.0 - 1e-12)) return m * power;
  }
  return 10.0 * power;
}

AxisScale value_axis(double lo, double hi, int intervals) {
  if (lo == hi && lo == 0.0) {
    hi = 1.0;  // a series that stays at zero sits on the bottom of the panel
  } else if (lo == hi) {
    const double pad = std::abs(lo) * 0.5;
    lo -= pad;
    hi += pad;
  }
  const double step = round_step(2.0 * half_span(lo, hi), intervals);
  return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

AxisScale time_axis(double first, double last, int intervals) {
  if (first == last) {
    first = std::min(0.0, 2.0 * last);
    last = std::max(0.0, 2.0 * last);
    if (first == last) last = 1.0;
  }
  if (first > last) std::swap(first, last);
  return {first, last, round_step(2.0 * half_span(first, last), intervals)};
}

AxisScale scaled_axis(const AxisScale& axis, double factor, int intervals) {
  const double low = axis.low * factor;
  const double high = axis.high * factor;
  const double span = 2.0 * half_span(low, high);
  // Its ends are no round numbers, so the step that suits the span may leave
  // few ticks inside: of it and the next finer round step, the one whose
  // number of steps is nearer to the intervals asked for serves.
  const double coarse = round_step(span, intervals);
  const double power = std::pow(10.0, std::floor(std::log10(coarse) + 1e-9));
  const double mantissa = std::round(coarse / power);
  const double fine = mantissa == 1.0 ? 0.5 * power : mantissa == 2.0 ? power : 2.0 * power;
  const double step = std::abs(span / fine - intervals) < std::abs(span / coarse - intervals) ? fine : coarse;
  return {low, high, step};
}

std::vector<std::string> tick_labels(const AxisScale& axis, const std::vector<double>& ticks) {
  const double largest = std::max(std::abs(axis.low), std::abs(axis.high));
  const int step_exponent = static_cast<int>(std::floor(std::log10(axis.step) + 1e-9));
  const int largest_exponent = largest > 0.0 ? static_cast<int>(std::floor(std::log10(largest) + 1e-9)) : 0;
  const bool scientific = largest_exponent >= 6 || step_exponent <= -4;
  std::vector<std::string> labels;
  char text[64];
  for (double v : ticks) {
    if (scientific) {
      const int digits = std::clamp(largest_exponent - step_exponent, 0, 15);
      (void)std::snprintf(text, sizeof text, "%.*E", digits, v);
      std::string s = text;
      if (v == 0.0) s = "0";
      labels.push_back(s);
    } else {
      (void)std::snprintf(text, sizeof text, "%.*f", std::max(0, -step_exponent), v);
      std::string s = text;
      if (s.find_first_not_of("-0.") == std::string::npos) s = "0";  // no "-0.0"
      labels.push_back(s);
    }
  }
  return labels;
}

}  // namespace kesta::plot
