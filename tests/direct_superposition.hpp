#pragma once
// The plain double loop of the stress superposition: one step response for every
// pair of output step and lag, summed in the written order. It is the reference
// that the cached, vectorised and threaded superposition must match bit for bit,
// and the baseline the benchmarks measure against; it never enters the program.
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/inversion.hpp"
#include "step_response.hpp"

namespace kesta {

inline Results superpose_directly(const Deck& deck, const Derived& derived, const Inversion& inversion) {
  const int NT = deck.NT;
  Results r;
  if (NT <= 0) return r;
  const auto n = static_cast<std::size_t>(NT);
  r.time.resize(n);
  r.head.assign(n, deck.HINIT);
  r.seepage.assign(n, 0.0);
  r.total_seepage.assign(n, 0.0);
  r.bank_storage.assign(n, 0.0);
  r.bank_volume.assign(n, 0.0);
  // Series indexed by time step from 1, as the model writes them.
  std::vector<double> HSTRESS(n + 1), QSTRESS(n + 1), HRATE(n + 1), QRATE(n + 1);
  for (int k = 1; k <= NT; ++k) {
    r.time[k - 1] = static_cast<double>(k - 1) * deck.DELT + deck.TINIT;
    const double stage = deck.ISTRESS == 1 ? 0.0 : deck.STAGE[k - 1];
    const double rech = deck.ISTRESS == 0 ? 0.0 : deck.RECH[k - 1];
    HSTRESS[k] = deck.ISTRESS == 0 ? stage : deck.ISTRESS == 1 ? rech : stage + rech;
    QSTRESS[k] = deck.ISTRESS == 0 ? stage : deck.ISTRESS == 1 ? -rech : stage - rech;
  }
  for (int k = 2; k <= NT; ++k) {
    HRATE[k - 1] = (HSTRESS[k] - HSTRESS[k - 1]) / deck.DELT;
    QRATE[k - 1] = (QSTRESS[k] - QSTRESS[k - 1]) / deck.DELT;
  }
  const double XZERO2 = deck.XZERO * deck.XZERO;
  for (int i = 1; i <= NT - 1; ++i) {
    double SH = 0.0, SQ = 0.0;
    for (int j = 1; j <= i; ++j) {
      const double TD = (deck.AK * (j * deck.DELT)) / (deck.AS * XZERO2);
      const StepResponse s = step_response(TD, deck, derived, inversion);
      SH = SH + HRATE[i - j + 1] * s.RH;
      SQ = SQ + QRATE[i - j + 1] * s.RQ;
    }
    r.head[i] = SH * deck.DELT + r.head[i];
    r.seepage[i] = (SQ * (deck.AK / derived.XZEROD)) * deck.DELT;
    r.total_seepage[i] = (2.0 * r.seepage[i]) * deck.XSTREAM;
    r.bank_storage[i] = r.bank_storage[i - 1] - r.seepage[i] * deck.DELT;
    r.bank_volume[i] = deck.XSTREAM * (2.0 * r.bank_storage[i]);
  }
  return r;
}

}  // namespace kesta
