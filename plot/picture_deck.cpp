#include "plot/picture_deck.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kesta::plot {

namespace {

// The plot file prints T with 7 significant digits (E13.6): half a unit in
// the last is at most 5e-7 of the value; 1e-6 leaves a margin.
constexpr double kTimeDigits = 1e-6;

bool same_time(double printed, double computed) {
  return std::abs(printed - computed) <= kTimeDigits * std::max(std::abs(printed), std::abs(computed));
}

std::string number_text(double v) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.7G", v);
  return text;
}

// Time of result row k (from 1) and the end of the step that line k holds.
double row_time(const PictureDeck& deck, double k) { return deck.TINIT + (k - 1.0) * deck.DELT; }

}  // namespace

std::string deck_mismatch(const PictureDeck& deck, const PlotSeries& series) {
  const std::size_t steps = deck.NT > 0 ? static_cast<std::size_t>(deck.NT) : 0;
  if (series.rows_read != steps)
    return "the deck has " + std::to_string(steps) + " time steps (NT), the plot file " +
           std::to_string(series.rows_read);
  if (steps == 0 || series.rows.size() != steps) return "";
  const double first = series.rows.front()[0];
  const double last = series.rows.back()[0];
  const double expected_last = row_time(deck, static_cast<double>(steps));
  if (!same_time(first, deck.TINIT) || !same_time(last, expected_last))
    return "the deck's time steps run from TINIT = " + number_text(deck.TINIT) + " to " +
           number_text(expected_last) + ", the plot file's from " + number_text(first) + " to " +
           number_text(last);
  return "";
}

Staircase stress_steps(const std::vector<double>& values, double TINIT, double DELT) {
  Staircase steps;
  steps.t.reserve(2 * values.size());
  steps.v.reserve(2 * values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double k = static_cast<double>(i) + 1.0;  // deck line k of the time-stress lines
    steps.t.push_back(TINIT + (k - 2.0) * DELT);
    steps.t.push_back(TINIT + (k - 1.0) * DELT);
    steps.v.push_back(values[i]);
    steps.v.push_back(values[i]);
  }
  return steps;
}

}  // namespace kesta::plot
