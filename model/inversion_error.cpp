#include "model/inversion_error.hpp"

#include <algorithm>

#include "model/contour_inversion.hpp"
#include "model/fft_convolution.hpp"
#include "model/inversion.hpp"
#include "model/laplace_transforms.hpp"
#include "model/parallel_for.hpp"
#include "model/stresses.hpp"

namespace kesta {
namespace {

using Series = std::vector<double>;

// Below this many lags a second thread costs more than it saves.
constexpr int PARALLEL_MIN_LAGS = 256;
constexpr int LAGS_PER_CHUNK = 64;

// Step responses of every order, index j = 1..lags as in the superposition
// (entry 0 unused): the same transforms at p = i·LN2/TD summed in the same
// order with each order's weights, so each order gives step_response's bits.
struct OrderResponses {
  std::vector<Series> RH, RQ;
};

OrderResponses stehfest_responses(const Deck& deck, const Derived& d, const std::vector<Inversion>& inversions,
                                  int lags) {
  const auto size = static_cast<std::size_t>(lags) + 1;
  OrderResponses r{std::vector<Series>(inversions.size(), Series(size, 0.0)),
                   std::vector<Series>(inversions.size(), Series(size, 0.0))};
  int most = 0;
  for (const Inversion& inv : inversions) most = std::max(most, std::min(inv.NS, NSMAX));
  const double storage_scale = deck.AS * (deck.XZERO * deck.XZERO);
  parallel_for(lags, PARALLEL_MIN_LAGS, LAGS_PER_CHUNK, [&](int index) {
    const int j = index + 1;
    const double TD = (deck.AK * (static_cast<double>(j) * deck.DELT)) / storage_scale;
    Transforms<double> F[NSMAX + 1];
    for (int i = 1; i <= most; ++i) {
      const double p = (static_cast<double>(i) * LN2_VALUE) / TD;
      F[i] = laplace_transforms(p, deck, d, EXPMAX_VALUE);
    }
    for (std::size_t m = 0; m < inversions.size(); ++m) {
      const Inversion& inv = inversions[m];
      const int terms = std::min(inv.NS, NSMAX);
      double SUMH = 0.0;
      double SUMQ = 0.0;
      for (int i = 1; i <= terms; ++i) {
        SUMH = SUMH + F[i].head * inv.V[i];
        SUMQ = SUMQ + inv.V[i] * F[i].seepage;
      }
      r.RH[m][static_cast<std::size_t>(j)] = SUMH * inv.LN2 / TD;
      r.RQ[m][static_cast<std::size_t>(j)] = SUMQ * inv.LN2 / TD;
    }
  });
  return r;
}

// change[m - 1] = stress at step m + 1 less stress at step m, m = 1..lags: the
// superposition's rate times the time step.
Series changes(const Series& stress, int lags) {
  Series change(static_cast<std::size_t>(lags), 0.0);
  for (int m = 1; m <= lags; ++m) change[static_cast<std::size_t>(m - 1)] = stress[m + 1] - stress[m];
  return change;
}

// Response errors of each order by lag, from index 0 for lag 1.
std::vector<Series> lag_errors(const std::vector<Series>& stehfest, const Series& reference, int lags) {
  std::vector<Series> errors(stehfest.size(), Series(static_cast<std::size_t>(lags), 0.0));
  for (std::size_t m = 0; m < stehfest.size(); ++m)
    for (int j = 1; j <= lags; ++j)
      errors[m][static_cast<std::size_t>(j - 1)] = stehfest[m][static_cast<std::size_t>(j)] - reference[j];
  return errors;
}

}  // namespace

std::vector<InversionError> inversion_errors(const Deck& deck, const Derived& derived, const std::vector<int>& orders) {
  const int NT = std::max(deck.NT, 0);
  std::vector<InversionError> out(orders.size());
  std::vector<Inversion> inversions;
  for (std::size_t m = 0; m < orders.size(); ++m) {
    out[m].NS = orders[m];
    out[m].head.assign(static_cast<std::size_t>(NT), 0.0);
    out[m].seepage.assign(static_cast<std::size_t>(NT), 0.0);
    inversions.push_back(prepare_inversion(orders[m]));
  }
  const int lags = NT - 1;
  if (lags < 1) return out;

  Series HSTRESS(static_cast<std::size_t>(NT) + 1, 0.0), QSTRESS(static_cast<std::size_t>(NT) + 1, 0.0);
  set_stresses(deck, HSTRESS, QSTRESS);
  const OrderResponses stehfest = stehfest_responses(deck, derived, inversions, lags);
  const ContourResponses reference = contour_responses(deck, derived, lags);

  // Step i (entry i of the results) sums the changes before it times the
  // response error at the lag since each: entry i - 1 of the convolution.
  const std::vector<Series> head = convolve_each(changes(HSTRESS, lags), lag_errors(stehfest.RH, reference.RH, lags));
  const std::vector<Series> seep = convolve_each(changes(QSTRESS, lags), lag_errors(stehfest.RQ, reference.RQ, lags));
  const double seepage_scale = deck.AK / derived.XZEROD;
  for (std::size_t m = 0; m < orders.size(); ++m)
    for (int i = 1; i <= lags; ++i) {
      out[m].head[static_cast<std::size_t>(i)] = head[m][static_cast<std::size_t>(i - 1)];
      out[m].seepage[static_cast<std::size_t>(i)] = seepage_scale * seep[m][static_cast<std::size_t>(i - 1)];
    }
  return out;
}

}  // namespace kesta
