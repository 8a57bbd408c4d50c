#include "model/checked_simulation.hpp"

#include "model/contour_inversion.hpp"
#include "model/inversion.hpp"
#include "model/inversion_error.hpp"
#include "model/lag_responses.hpp"
#include "model/superposition.hpp"

#include <utility>

namespace kesta {

CheckedSimulation::CheckedSimulation(const Deck& deck, const Derived& derived, const Inversion& inversion,
                                     const std::vector<int>& searched)
    : deck_(deck), derived_(derived), NS_(inversion.NS), searched_(searched) {
  const int lags = deck.NT > 1 ? deck.NT - 1 : 0;  // no steps at all for NT <= 0
  {
    std::vector<Inversion> checked;
    checked.reserve(searched.size());
    for (int NS : searched) checked.push_back(prepare_inversion(NS));
    ContourResponses reference = contour_responses(deck, derived, lags);
    LagResponses<float> lag = lag_responses<float>(deck, derived, lags, &inversion, checked, &reference);
    if (lags >= 1) {
      // The own order's lag errors take the place of the contour's responses:
      // entry j - 1 is written once entry j - 1 of those has been read.
      own_H_ = std::move(reference.RH);
      own_Q_ = std::move(reference.RQ);
      for (int j = 1; j <= lags; ++j) {
        const auto at = static_cast<std::size_t>(j);
        own_H_[at - 1] = lag.RH[at] - own_H_[at];
        own_Q_[at - 1] = lag.RQ[at] - own_Q_[at];
      }
      own_H_.pop_back();
      own_Q_.pop_back();
    }
    results_ = superpose_responses(deck, derived, lag.RH, lag.RQ);
    searched_H_ = std::move(lag.error_H);
    searched_Q_ = std::move(lag.error_Q);
  }
  // Transformed only once the simulation's own series are gone: the peak of
  // memory stays that of the simulation.
  changes_.emplace(stress_changes(deck));
}

namespace {

template <typename Series>
void release(Series& series) {
  Series().swap(series);
}

}  // namespace

InversionError CheckedSimulation::take_error(PairConvolution::Workspace& work) {
  InversionError error;
  carried_error<double>(error, NS_, deck_, derived_, *changes_, own_H_, own_Q_, work);
  release(own_H_);
  release(own_Q_);
  return error;
}

void CheckedSimulation::take_searched_error(std::size_t m, PairConvolution::Workspace& work, InversionError& out) {
  if (searched_H_.size() <= m) {  // a deck of one step has no lags
    carried_error<float>(out, searched_[m], deck_, derived_, *changes_, {}, {}, work);
    return;
  }
  carried_error<float>(out, searched_[m], deck_, derived_, *changes_, searched_H_[m], searched_Q_[m], work);
  release(searched_H_[m]);
  release(searched_Q_[m]);
}

}  // namespace kesta
