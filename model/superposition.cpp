#include "model/superposition.hpp"

#include <vector>

#include "model/lag_sums.hpp"
#include "model/parallel_for.hpp"
#include "model/step_response.hpp"
#include "model/stresses.hpp"

namespace kesta {
namespace {

using Series = std::vector<double>;

// Below this many lags more threads cost more than they save.
constexpr int PARALLEL_MIN_LAGS = 256;
constexpr int LAGS_PER_CHUNK = 64;

}  // namespace

Results superpose(const Deck& deck, const Derived& derived, const Inversion& inversion) {
  const int NT = deck.NT;
  Results results;
  if (NT <= 0) return results;
  const auto n = static_cast<std::size_t>(NT);
  results.time.resize(n);
  results.head.assign(n, deck.HINIT);
  results.seepage.assign(n, 0.0);
  results.total_seepage.assign(n, 0.0);
  results.bank_storage.assign(n, 0.0);
  results.bank_volume.assign(n, 0.0);
  for (int k = 1; k <= NT; ++k)
    results.time[static_cast<std::size_t>(k - 1)] = static_cast<double>(k - 1) * deck.DELT + deck.TINIT;

  Series HSTRESS(n + 1, 0.0), QSTRESS(n + 1, 0.0), HRATE(n + 1, 0.0), QRATE(n + 1, 0.0);
  set_stresses(deck, HSTRESS, QSTRESS);

  // The change of stress over interval m, per unit time, acts as a step at its start.
  for (int k = 2; k <= NT; ++k) {
    HRATE[k - 1] = (HSTRESS[k] - HSTRESS[k - 1]) / deck.DELT;
    QRATE[k - 1] = (QSTRESS[k] - QSTRESS[k - 1]) / deck.DELT;
  }

  // The step response depends on the lag alone: once per lag, reused by every step.
  const int lags = NT - 1;
  if (lags < 1) return results;
  const auto size = static_cast<std::size_t>(lags) + 1;
  Series RH(size, 0.0);
  Series RQ(size, 0.0);
  const double XZERO2 = deck.XZERO * deck.XZERO;
  const double storage_scale = deck.AS * XZERO2;
  parallel_for(lags, PARALLEL_MIN_LAGS, LAGS_PER_CHUNK, [&](int index) {
    const int j = index + 1;
    const double TD = (deck.AK * (static_cast<double>(j) * deck.DELT)) / storage_scale;
    const StepResponse response = step_response(TD, deck, derived, inversion);
    RH[j] = response.RH;
    RQ[j] = response.RQ;
  });

  Series SH(size, 0.0);
  Series SQ(size, 0.0);
  lag_sums(HRATE, RH, lags, SH);
  lag_sums(QRATE, RQ, lags, SQ);

  // Entry i of the results is time step i + 1.
  for (int i = 1; i <= lags; ++i) {
    const auto k = static_cast<std::size_t>(i);
    results.head[k] = SH[i] * deck.DELT + results.head[k];
    results.seepage[k] = (SQ[i] * (deck.AK / derived.XZEROD)) * deck.DELT;
    results.total_seepage[k] = (2.0 * results.seepage[k]) * deck.XSTREAM;
    // Seepage that leaves the aquifer for the stream empties bank storage.
    results.bank_storage[k] = results.bank_storage[k - 1] - results.seepage[k] * deck.DELT;
    results.bank_volume[k] = deck.XSTREAM * (2.0 * results.bank_storage[k]);
  }
  return results;
}

}  // namespace kesta
