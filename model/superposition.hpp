#pragma once
// Superposition of step responses over the stress series: head, seepage, total
// seepage, bank storage and bank-storage volume for every time step.
#include <span>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/inversion.hpp"

namespace kesta {

// NT entries of each series (none for NT <= 0). The time of entry k is
// TINIT + k·DELT, computed as the report prints it.
Results superpose(const Deck& deck, const Derived& derived, const Inversion& inversion);

// How the lag sums are formed: every product in the written order (the
// legacy engine's bits), or by FFT convolution for the contour engine's long
// runs.
enum class LagSumRoute { InOrder, Convolution };

// Per step, a bound on the error the convolution leaves in the head and the
// seepage (0 for a step summed in order).
struct StepRounding {
  std::vector<double> head, seepage;
};

// The same from step responses already at hand: RH and RQ hold entry j for lag
// j = 1..NT - 1 (entry 0 unused). By convolution, a step whose printed head or
// seepage the rounding bound might reach is summed again in order, as long as
// those sums cost no more than a few convolutions; the bound of every step
// goes to `rounding` when one is given.
Results superpose_responses(const Deck& deck, const Derived& derived, std::span<const double> RH,
                            std::span<const double> RQ, LagSumRoute route = LagSumRoute::InOrder,
                            StepRounding* rounding = nullptr);

}  // namespace kesta
