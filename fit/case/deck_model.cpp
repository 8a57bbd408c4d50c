#include "fit/case/deck_model.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "support/parallel_for.hpp"

namespace kesta::fit_detail {

namespace {

// Below this many steps a run takes a fraction of a millisecond, less than
// starting a thread for it costs on a busy machine.
constexpr int kParallelMinSteps = 256;

const std::vector<double>& series(const Results& r, Kind kind) { return kind == Kind::Head ? r.head : r.seepage; }

}  // namespace

DeckModel::DeckModel(const FitCase& c) : deck_(c.deck), inversion_{c.file.inversion} {
  for (const CaseParameter& p : c.parameters) fields_.push_back(p.info->field);
  for (const ObservationSet& set : c.sets) {
    set_kind_.push_back(set.kind);
    // Seepage does not depend on the well: it rides along with any run.
    if (set.kind == Kind::Seepage && !distances_.empty()) {
      set_distance_.push_back(0);
      continue;
    }
    auto it = std::find(distances_.begin(), distances_.end(), set.distance);
    if (it == distances_.end()) it = distances_.insert(distances_.end(), set.distance);
    set_distance_.push_back(static_cast<std::size_t>(it - distances_.begin()));
  }
  const auto last_step = static_cast<std::size_t>(deck_.NT - 1);
  for (std::size_t s = 0; s < c.sets.size(); ++s) {
    for (const CsvObservation& row : c.sets[s].rows) {
      const double position = std::clamp((row.time - deck_.TINIT) / deck_.DELT, 0.0, static_cast<double>(last_step));
      const auto step = std::min(static_cast<std::size_t>(position), last_step - 1);
      lookups_.push_back({set_distance_[s], c.sets[s].kind, step, position - static_cast<double>(step)});
    }
  }
}

Deck DeckModel::deck_with(const std::vector<double>& values) const {
  Deck deck = deck_;
  for (std::size_t i = 0; i < fields_.size(); ++i) deck.*(fields_[i]) = values[i];
  return deck;
}

std::vector<Results> DeckModel::run(const std::vector<std::vector<double>>& sets, bool spread_always) const {
  const std::size_t per_set = distances_.size();
  const auto tasks = static_cast<long>(sets.size() * per_set);
  std::vector<std::optional<Results>> done(static_cast<std::size_t>(tasks));
  const auto one_run = [&](std::size_t task) {
    Deck deck = deck_with(sets[task / per_set]);
    deck.X = distances_[task % per_set];
    try {
      done[task] = simulate(deck, inversion_);
    } catch (const std::exception&) {
      // A parameter set the library refuses: the solver steps back from it.
    }
  };
  // Every run is independent: spread them over the cores.
  if (spread_always || deck_.NT >= kParallelMinSteps) {
    run_in_parallel(done.size(), one_run);
  } else {
    for (std::size_t task = 0; task < done.size(); ++task) one_run(task);
  }
  simulations_ += tasks;
  std::vector<Results> out;
  out.reserve(done.size());
  for (std::optional<Results>& r : done) out.push_back(r ? std::move(*r) : Results{});
  return out;
}

std::vector<std::vector<double>> DeckModel::evaluate(const std::vector<std::vector<double>>& sets) const {
  const std::size_t per_set = distances_.size();
  const std::vector<Results> results = run(sets);
  std::vector<std::vector<double>> out(sets.size());
  for (std::size_t s = 0; s < sets.size(); ++s) {
    bool complete = true;
    for (std::size_t d = 0; d < per_set; ++d)
      complete = complete && results[s * per_set + d].head.size() == static_cast<std::size_t>(deck_.NT);
    if (!complete) continue;
    std::vector<double>& values = out[s];
    values.reserve(lookups_.size());
    for (const Lookup& l : lookups_) {
      const std::vector<double>& y = series(results[s * per_set + l.distance], l.kind);
      values.push_back((1.0 - l.fraction) * y[l.step] + l.fraction * y[l.step + 1]);
    }
  }
  return out;
}

std::vector<double> DeckModel::inversion_errors(const std::vector<double>& values) const {
  std::vector<InversionError> errors;
  for (const double distance : distances_) {
    Deck deck = deck_with(values);
    deck.X = distance;
    errors.push_back(inversion_error(deck));
  }
  std::vector<double> out;
  out.reserve(lookups_.size());
  for (const Lookup& l : lookups_) {
    const InversionError& e = errors[l.distance];
    const std::vector<double>& y = l.kind == Kind::Head ? e.head : e.seepage;
    out.push_back((1.0 - l.fraction) * y[l.step] + l.fraction * y[l.step + 1]);
  }
  return out;
}

std::vector<Curve> DeckModel::curves(const std::vector<double>& values) const {
  const std::vector<Results> results = run({values});
  std::vector<Curve> out;
  for (std::size_t s = 0; s < set_distance_.size(); ++s) {
    const Results& r = results[set_distance_[s]];
    out.push_back({r.time, series(r, set_kind_[s])});
  }
  return out;
}

std::vector<std::vector<Results>> DeckModel::runs(const std::vector<std::vector<double>>& sets,
                                                  bool spread_always) const {
  std::vector<Results> results = run(sets, spread_always);
  const std::size_t per_set = distances_.size();
  std::vector<std::vector<Results>> out(sets.size());
  for (std::size_t task = 0; task < results.size(); ++task) out[task / per_set].push_back(std::move(results[task]));
  return out;
}

}  // namespace kesta::fit_detail
