#pragma once
// The per-step inversion error of any orders, in double precision and without
// a simulation: what the tests judge against closed forms and the benchmarks
// and the accuracy table measure. The program takes its errors from a checked
// simulation instead.
#include <vector>

#include "kesta/accuracy.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/inversion_error.hpp"
#include "model/run_plan.hpp"

namespace kesta {

// One entry per order asked for (each from 1 to NSMAX), in that order.
inline std::vector<InversionError> inversion_errors(const Deck& deck, const Derived& derived,
                                                    const std::vector<int>& orders) {
  const PlannedRun<double> run = run_plan<double>(deck, derived, {std::nullopt, orders, true});
  std::vector<InversionError> out(orders.size());
  PairConvolution::Workspace work;
  for (std::size_t m = 0; m < orders.size(); ++m)
    carried_error<double>(out[m], orders[m], deck, derived, *run.changes, run.error_H[m], run.error_Q[m], work);
  return out;
}

}  // namespace kesta
