#pragma once
// The deck as the solver's model: a parameter set written into the deck, one
// run of the library's simulate per well distance by the fit file's
// inversion, and the computed series interpolated to the observation times.
#include <atomic>
#include <vector>

#include "fit/case/fit_case.hpp"

namespace kesta::fit_detail {

// The computed series of one observation set at every output step.
struct Curve {
  std::vector<double> time;
  std::vector<double> value;
};

class DeckModel {
 public:
  explicit DeckModel(const FitCase& fit_case);

  // Simulated value of every observation for each parameter set (deck values
  // of the free parameters), spread over the processor's cores. An empty
  // vector for a set that the library refuses.
  std::vector<std::vector<double>> evaluate(const std::vector<std::vector<double>>& sets) const;

  // Runs of simulate so far.
  long simulations() const { return simulations_; }

  // The starting deck with these values written in (X stays the deck's own).
  Deck deck_with(const std::vector<double>& values) const;

  // The Stehfest inversion's own error (printed minus exactly inverted value)
  // at every observation, read from the series as the observations are, at
  // the deck's NS whichever inversion the fit uses. Throws as the library's
  // inversion_error does.
  std::vector<double> inversion_errors(const std::vector<double>& values) const;

  // Every observation set's computed series at these values.
  std::vector<Curve> curves(const std::vector<double>& values) const;

  // Every output series for each parameter set: one Results per distinct
  // well distance, in the order of distances(); a set the library refuses
  // has empty Results. Spread over the cores as evaluate is, or for decks of
  // any length with `spread_always` (a large ensemble of short runs).
  std::vector<std::vector<Results>> runs(const std::vector<std::vector<double>>& sets,
                                         bool spread_always = false) const;

  // The distinct well distances, one run each (the deck's X when only
  // seepage is observed).
  const std::vector<double>& distances() const { return distances_; }

 private:
  // Where one observation reads the computed series: a linear interpolation
  // between output steps step and step + 1.
  struct Lookup {
    std::size_t distance;
    Kind kind;
    std::size_t step;
    double fraction;
  };

  std::vector<Results> run(const std::vector<std::vector<double>>& sets, bool spread_always = false) const;

  Deck deck_;
  SimulateOptions inversion_;              // the fit file's choice
  std::vector<double Deck::*> fields_;     // of the free parameters, in their order
  std::vector<double> distances_;          // distinct well distances, one run each
  std::vector<std::size_t> set_distance_;  // index into distances_ per observation set
  std::vector<Kind> set_kind_;
  std::vector<Lookup> lookups_;
  mutable std::atomic<long> simulations_ = 0;
};

}  // namespace kesta::fit_detail
