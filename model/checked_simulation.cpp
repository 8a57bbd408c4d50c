#include "model/checked_simulation.hpp"

#include "model/inversion_error.hpp"

namespace kesta {

CheckedSimulation::CheckedSimulation(const Deck& deck, const Derived& derived, const Inversion& inversion,
                                     const std::vector<int>& searched)
    : deck_(deck),
      derived_(derived),
      NS_(inversion.NS),
      searched_(searched),
      run_(run_plan<float>(deck, derived, {inversion, searched, true})) {}

namespace {

template <typename Series>
void release(Series& series) {
  Series().swap(series);
}

}  // namespace

InversionError CheckedSimulation::take_error(PairConvolution::Workspace& work) {
  InversionError error;
  carried_error<double>(error, NS_, deck_, derived_, *run_.changes, run_.own_H, run_.own_Q, work);
  release(run_.own_H);
  release(run_.own_Q);
  return error;
}

void CheckedSimulation::take_searched_error(std::size_t m, PairConvolution::Workspace& work, InversionError& out) {
  carried_error<float>(out, searched_[m], deck_, derived_, *run_.changes, run_.error_H[m], run_.error_Q[m], work);
  release(run_.error_H[m]);
  release(run_.error_Q[m]);
}

}  // namespace kesta
