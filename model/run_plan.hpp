#pragma once
// One run of the model as a plan asks: the simulation's results, and the lag
// errors of Stehfest orders judged against the contour inversion. Every order
// inverts the same transforms at p = i·ln2/TD, so the simulation and the
// checked orders share one evaluation of the transforms per term and lag, the
// costly part.
#include <optional>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/fft_convolution.hpp"
#include "model/inversion.hpp"
#include "support/filled_series.hpp"

namespace kesta {

struct RunPlan {
  // The simulation's inversion; none when only errors are wanted.
  std::optional<Inversion> simulation;
  // Stehfest orders (each from 1 to NSMAX) whose lag errors are kept.
  std::vector<int> checked;
  // The contour inversion as the judge, so the simulation's own lag errors and
  // the stress changes that carry errors over the series are kept too.
  // Checked orders are judged by it whatever this says.
  bool reference = false;
};

// T is the precision the checked orders' errors are kept in: float when many
// orders are held at once over a long series (the errors are judged against
// half a printed digit, which their 7 digits decide), double otherwise.
template <typename T>
struct PlannedRun {
  // The simulation's, bit for bit those of the plain loop over step responses;
  // empty without a simulation.
  Results results;
  // The simulation's step responses less the reference's, entry j - 1 for lag
  // j: the series the error estimate convolves with the stress changes.
  FilledSeries<double> own_H, own_Q;
  // The same per checked order, in the plan's order; empty series without lags.
  std::vector<FilledSeries<T>> error_H, error_Q;
  // The stress changes, transformed once for every order's error; only when
  // judged against the reference.
  std::optional<PairConvolution> changes;
};

// The deck's head and seepage stress changes, m = 1..lags at entry m - 1 (the
// superposition's rates times the time step), transformed once to carry the
// lag errors of any inversion over the series.
PairConvolution stress_changes(const Deck& deck, int lags);

template <typename T>
PlannedRun<T> run_plan(const Deck& deck, const Derived& derived, const RunPlan& plan);

}  // namespace kesta
