#pragma once
// The fitted model's output series on one stress record: a deck (its stress
// series and steps) with parameter sets written into the fitted values, one
// run per well distance. The bands of the fit and of a prediction are both
// drawn from it.
#include <vector>

#include "fit/case/deck_model.hpp"
#include "fit/case/fit_case.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {

class BandRuns {
 public:
  // `deck` holds the stress record and every value the fit does not
  // estimate; `distances` are the wells, the first also carrying seepage.
  BandRuns(Deck deck, const FitCase& fit_case, std::vector<double> distances);

  // Every output series for each parameter set (deck values of the free
  // parameters): one Results per distance; empty Results for a set the
  // library refuses. Spread over the cores on long records, or always (an
  // ensemble's many sets); or handed, all the decks at once, to `simulator`
  // when it is given, whose incomplete Results count as refused.
  std::vector<std::vector<Results>> runs(const std::vector<std::vector<double>>& sets, bool spread_always = false,
                                         const MemberSimulator& simulator = {}) const;

  const std::vector<double>& distances() const { return distances_; }
  const Deck& deck() const { return deck_; }

 private:
  // The deck of one run: the set's values written in, the well at `distance`.
  Deck run_deck(const std::vector<double>& values, std::size_t distance) const;
  std::vector<Results> simulated_elsewhere(const std::vector<std::vector<double>>& sets,
                                           const MemberSimulator& simulator) const;

  Deck deck_;
  SimulateOptions inversion_;
  std::vector<double Deck::*> fields_;
  std::vector<double> distances_;
};

// The fit's own run distances, then the further distances the fit file asks
// bands for, each once.
std::vector<double> band_distances(const DeckModel& model, const FitFile& file);

// Throws FitInputError naming the fit file's line of a further distance at
// which the deck cannot be computed (beyond a finite aquifer's width).
void check_band_distances(const FitCase& fit_case);

}  // namespace kesta::fit_detail
