#include "model/contour_superposition.hpp"

#include <cmath>

#include "model/contour_inversion.hpp"
#include "model/inversion_error.hpp"
#include "model/run_plan.hpp"
#include "model/superposition.hpp"

namespace kesta {
namespace {

LagSumRoute route_for(int lags) { return lags >= kConvolveFrom ? LagSumRoute::Convolution : LagSumRoute::InOrder; }

// The size of a bound added to an error estimate, its sign kept.
double widened(double error, double bound) { return std::copysign(std::fabs(error) + bound, error); }

}  // namespace

Results superpose_by_contour(const Deck& deck, const Derived& derived) {
  const int lags = deck.NT - 1;
  const ContourResponses responses = contour_responses(deck, derived, lags);
  return superpose_responses(deck, derived, responses.RH, responses.RQ, route_for(lags));
}

ContourRun checked_contour_run(const Deck& deck, const Derived& derived) {
  const int lags = deck.NT - 1;
  ContourRun run;
  StepRounding& rounding = run.rounding;
  ContourResponses own = contour_responses(deck, derived, lags);
  run.results = superpose_responses(deck, derived, own.RH, own.RQ, route_for(lags), &rounding);
  if (lags < 1) {
    run.error.head.assign(run.results.head.size(), 0.0);
    run.error.seepage.assign(run.results.seepage.size(), 0.0);
    return run;
  }
  {
    // The lag errors take the place of the responses, entry j - 1 for lag j.
    const ContourResponses finer = reference_responses(deck, derived, lags);
    for (int j = 1; j <= lags; ++j) {
      const auto at = static_cast<std::size_t>(j);
      own.RH[at - 1] = own.RH[at] - finer.RH[at];
      own.RQ[at - 1] = own.RQ[at] - finer.RQ[at];
    }
  }
  const auto n = static_cast<std::size_t>(lags);
  PairConvolution::Workspace work;
  carried_error(run.error, 0, deck, derived, stress_changes(deck, lags), std::span<const double>(own.RH).first(n),
                std::span<const double>(own.RQ).first(n), work);
  for (std::size_t k = 0; k < rounding.head.size(); ++k) {
    run.error.head[k] = widened(run.error.head[k], rounding.head[k]);
    run.error.seepage[k] = widened(run.error.seepage[k], rounding.seepage[k]);
  }
  return run;
}

}  // namespace kesta
