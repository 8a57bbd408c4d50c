#include "plot/picture_deck.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "plot/significant.hpp"
#include "plot/totals.hpp"

namespace kesta::plot {

namespace {

// The plot file prints T with 7 significant digits (E13.6): half a unit in
// the last is at most 5e-7 of the value; 1e-6 leaves a margin.
constexpr double kTimeDigits = 1e-6;

// H is printed with 5 significant digits (E11.5): at most 5e-5 of the value.
// A plot file of an earlier release may differ in the last digits where the
// model was refined since; a ten-thousandth of the head's largest change
// from HINIT allows that, and no other deck comes that close.
constexpr double kHeadDigits = 1e-4;
constexpr double kHeadOfLargestChange = 1e-4;

// The factor read back from two values of 4 digits is good to about 1e-3
// (totals.hpp).
constexpr double kFactorDigits = 2.5e-3;

bool same_to(double printed, double computed, double digits) {
  const double larger = std::max(std::abs(printed), std::abs(computed));
  return std::abs(printed - computed) <= digits * larger || larger < std::numeric_limits<double>::min();
}

bool same_time(double printed, double computed) { return same_to(printed, computed, kTimeDigits); }

std::string number_text(double v) { return significant(v, 7); }

// The factor read back holds about 4 digits.
std::string factor_text(double v) { return significant(v, 4); }

// A head with the 5 digits the plot file prints, trailing zeros kept.
std::string head_text(double v) { return significant(v, 5, true); }

// The first row whose printed head is not the deck's, as a message; "" when all agree.
std::string head_mismatch(const PictureDeck& deck, const PlotSeries& series) {
  double largest_change = 0.0;
  for (double h : deck.heads) largest_change = std::max(largest_change, std::abs(h - deck.HINIT));
  const auto H = static_cast<std::size_t>(Column::H);
  for (std::size_t i = 0; i < deck.heads.size() && i < series.rows.size(); ++i) {
    const double printed = series.rows[i][H];
    const double computed = deck.heads[i];
    const double allowed =
        kHeadDigits * std::max(std::abs(printed), std::abs(computed)) + kHeadOfLargestChange * largest_change;
    if (!std::isfinite(printed) || std::abs(printed - computed) <= allowed) continue;
    return "at T = " + number_text(series.rows[i][0]) + " (line " + std::to_string(i + 2) +
           " of the plot file) the deck gives H = " + head_text(computed) + ", the plot file " + head_text(printed);
  }
  return "";
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
    return "the deck's time steps run from TINIT = " + number_text(deck.TINIT) + " to " + number_text(expected_last) +
           ", the plot file's from " + number_text(first) + " to " + number_text(last);
  if (const std::optional<double> factor = totals_factor_from(series);
      factor && !same_to(*factor, 2.0 * deck.XSTREAM, kFactorDigits))
    return "the deck has XSTREAM = " + number_text(deck.XSTREAM) +
           ", the plot file's totals are those of XSTREAM = " + factor_text(*factor / 2.0);
  return head_mismatch(deck, series);
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
