#pragma once
// Bands from an ensemble of simulated series (percentiles at each step), and
// how far they stand from the delta method's linear bands.
#include <cstddef>
#include <string>
#include <vector>

#include "fit/estimation/delta_band.hpp"

namespace kesta::fit_detail {

// Materiality: an ensemble edge this far from the linear band's, as a share of
// the linear half-width, is a difference worth a warning.
inline constexpr double kBandTolerance = 0.25;
// Steps where the linear band is narrower than this share of its widest are
// compared against that share instead: there both bands are nearly a line, and
// a percentile's chance error would dominate the ratio.
inline constexpr double kBandWidthFloor = 0.05;

// The lower and upper percentiles at `level` (the (1 - level)/2 and
// (1 + level)/2 quantiles, interpolated between order statistics) of the
// members' values at each step. members[j][k]: member j at step k.
BandEnds percentile_band(const std::vector<std::vector<double>>& members, double level);

// The chance error of an ensemble band's edge as a share of its half-width,
// for normal members: sqrt(q (1 - q) / n) / (phi(z) z), q = (1 + level)/2,
// z its normal quantile.
double edge_chance_error(int members, double level);

// The difference that counts: kBandTolerance, or three chance errors of an
// edge when the ensemble is too small to resolve that.
double band_tolerance(int members, double level);

// The largest difference of the ensemble band's edges from the linear band's,
// each over the linear half-width at its step (floored as above); nothing
// compared (every half-width zero) gives compared = false.
struct BandDifference {
  bool compared = false;
  double relative = 0.0;
  std::size_t step = 0;
  bool upper = false;  // at the upper edge
};
BandDifference band_difference(const BandEnds& linear, const BandEnds& ensemble);

}  // namespace kesta::fit_detail
