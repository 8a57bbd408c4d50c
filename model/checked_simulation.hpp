#pragma once
// A simulation that keeps what estimating its inversion's error needs: the lag
// errors of its own Stehfest order and of the orders searched for a better one,
// taken from the same evaluations of the transforms as the results.
#include <vector>

#include "kesta/accuracy.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/fft_convolution.hpp"
#include "model/inversion.hpp"
#include "model/run_plan.hpp"

namespace kesta {

class CheckedSimulation {
 public:
  // The results are bit for bit superpose's. The deck and derived parameters
  // must outlive this object.
  CheckedSimulation(const Deck& deck, const Derived& derived, const Inversion& inversion,
                    const std::vector<int>& searched);

  const Results& results() const { return run_.results; }
  // The per-step error of the simulation's own order, and of each searched
  // order, each given once: the lag errors behind it are released as it is
  // made, so a long series holds the fewest at once. These calls touch only
  // the lag errors and the workspace, never the results, which another
  // thread may read meanwhile.
  InversionError take_error(PairConvolution::Workspace& work);
  const std::vector<int>& searched() const { return searched_; }
  // Into `out`, whose series are reused from one searched order to the next.
  void take_searched_error(std::size_t m, PairConvolution::Workspace& work, InversionError& out);

 private:
  const Deck& deck_;
  const Derived& derived_;
  int NS_;
  std::vector<int> searched_;
  // Single precision: seven orders over a long series are held at once.
  PlannedRun<float> run_;
};

}  // namespace kesta
