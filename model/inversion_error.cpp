#include "model/inversion_error.hpp"

#include <algorithm>

#include "model/contour_inversion.hpp"
#include "model/inversion.hpp"
#include "model/kernel.hpp"
#include "model/lag_responses.hpp"

namespace kesta {

PairConvolution stress_changes(const Deck& deck) {
  const StressSteps steps = stress_steps(deck);
  const auto lags = static_cast<std::size_t>(std::max(deck.NT, 1) - 1);
  return PairConvolution(std::span<const double>(steps.head).subspan(1, lags),
                         std::span<const double>(steps.seepage).subspan(1, lags));
}

template <typename T>
void carried_error(InversionError& out, int NS, const Deck& deck, const Derived& derived,
                   const PairConvolution& changes, std::span<const T> lag_H, std::span<const T> lag_Q,
                   PairConvolution::Workspace& work) {
  out.NS = NS;
  const auto NT = static_cast<std::size_t>(std::max(deck.NT, 0));
  if (NT < 2) {
    out.head.assign(NT, 0.0);
    out.seepage.assign(NT, 0.0);
    return;
  }
  // Step i (entry i of the results) sums the changes before it times the
  // response error at the lag since each: entry i - 1 of the convolution.
  out.head.reserve(NT);
  out.seepage.reserve(NT);
  changes.convolve(lag_H, lag_Q, out.head, out.seepage, work);
  out.head.insert(out.head.begin(), 0.0);
  out.seepage.insert(out.seepage.begin(), 0.0);
  const double seepage_scale = deck.AK / derived.XZEROD;
  for (double& e : out.seepage) e = seepage_scale * e;
}

template void carried_error(InversionError&, int, const Deck&, const Derived&, const PairConvolution&,
                            std::span<const float>, std::span<const float>, PairConvolution::Workspace&);
template void carried_error(InversionError&, int, const Deck&, const Derived&, const PairConvolution&,
                            std::span<const double>, std::span<const double>, PairConvolution::Workspace&);

std::vector<InversionError> inversion_errors(const Deck& deck, const Derived& derived, const std::vector<int>& orders) {
  const int lags = std::max(deck.NT, 0) - 1;
  std::vector<Inversion> inversions;
  inversions.reserve(orders.size());
  for (int NS : orders) inversions.push_back(prepare_inversion(NS));
  const ContourResponses reference = contour_responses(deck, derived, std::max(lags, 0));
  const LagResponses<double> lag = lag_responses<double>(deck, derived, lags, nullptr, inversions, &reference);
  const PairConvolution changes = stress_changes(deck);
  std::vector<InversionError> out;
  out.reserve(orders.size());
  PairConvolution::Workspace work;
  for (std::size_t m = 0; m < orders.size(); ++m) {
    InversionError& error = out.emplace_back();
    if (lags < 1)
      carried_error<double>(error, orders[m], deck, derived, changes, {}, {}, work);
    else
      carried_error<double>(error, orders[m], deck, derived, changes, lag.error_H[m], lag.error_Q[m], work);
  }
  return out;
}

}  // namespace kesta
