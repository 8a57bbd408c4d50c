#include "fit/case/band_runs.hpp"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>

#include "fit/estimation/number_text.hpp"
#include "kesta/fit.hpp"
#include "support/parallel_for.hpp"

namespace kesta::fit_detail {

namespace {

// As the fit's own model: shorter runs cost less than a thread's start.
constexpr int kParallelMinSteps = 256;

}  // namespace

BandRuns::BandRuns(Deck deck, const FitCase& c, std::vector<double> distances)
    : deck_(std::move(deck)), inversion_{c.file.inversion}, distances_(std::move(distances)) {
  for (const CaseParameter& p : c.parameters) fields_.push_back(p.info->field);
}

Deck BandRuns::run_deck(const std::vector<double>& values, std::size_t distance) const {
  Deck deck = deck_;
  for (std::size_t i = 0; i < fields_.size(); ++i) deck.*(fields_[i]) = values[i];
  deck.X = distances_[distance];
  return deck;
}

std::vector<Results> BandRuns::simulated_elsewhere(const std::vector<std::vector<double>>& sets,
                                                   const MemberSimulator& simulator) const {
  std::vector<Deck> decks;
  decks.reserve(sets.size() * distances_.size());
  for (const std::vector<double>& values : sets)
    for (std::size_t k = 0; k < distances_.size(); ++k) decks.push_back(run_deck(values, k));
  std::vector<Results> done = simulator(decks, inversion_);
  if (done.size() != decks.size())
    throw std::runtime_error("the simulator returned " + std::to_string(done.size()) + " results for " +
                             std::to_string(decks.size()) + " decks");
  // Series of another length than the deck's steps cannot be the model's: a refused run.
  const auto steps = static_cast<std::size_t>(deck_.NT);
  for (Results& r : done)
    for (const std::vector<double>* series :
         {&r.time, &r.head, &r.seepage, &r.total_seepage, &r.bank_storage, &r.bank_volume})
      if (series->size() != steps) {
        r = Results{};
        break;
      }
  return done;
}

std::vector<std::vector<Results>> BandRuns::runs(const std::vector<std::vector<double>>& sets, bool spread_always,
                                                 const MemberSimulator& simulator) const {
  const std::size_t per_set = distances_.size();
  std::vector<std::optional<Results>> done(sets.size() * per_set);
  if (simulator) {
    std::vector<Results> elsewhere = simulated_elsewhere(sets, simulator);
    for (std::size_t task = 0; task < done.size(); ++task) done[task] = std::move(elsewhere[task]);
  } else {
    const auto one_run = [&](std::size_t task) {
      try {
        done[task] = simulate(run_deck(sets[task / per_set], task % per_set), inversion_);
      } catch (const std::exception&) {
        // A parameter set the library refuses: the bands say they cannot be had.
      }
    };
    if (spread_always || deck_.NT >= kParallelMinSteps) {
      run_in_parallel(done.size(), one_run);
    } else {
      for (std::size_t task = 0; task < done.size(); ++task) one_run(task);
    }
  }
  std::vector<std::vector<Results>> out(sets.size());
  for (std::size_t task = 0; task < done.size(); ++task)
    out[task / per_set].push_back(done[task] ? std::move(*done[task]) : Results{});
  return out;
}

std::vector<double> band_distances(const DeckModel& model, const FitFile& file) {
  std::vector<double> out = model.distances();
  for (const double d : file.band_distances)
    if (std::find(out.begin(), out.end(), d) == out.end()) out.push_back(d);
  return out;
}

void check_band_distances(const FitCase& c) {
  for (std::size_t i = 0; i < c.file.band_distances.size(); ++i) {
    Deck deck = c.deck;
    deck.X = c.file.band_distances[i];
    if (const auto problem = first_problem(deck, SimulateOptions{c.file.inversion}))
      throw FitInputError(c.file.shown_name, c.file.band_distance_lines[i],
                          "bands distances: " + shortest(deck.X) + " does not suit the deck: " + *problem);
  }
}

}  // namespace kesta::fit_detail
