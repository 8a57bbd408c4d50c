#pragma once
// Response of the aquifer to a unit step rise of stream stage at dimensionless
// time 0, brought back from the Laplace domain at dimensionless time TD.
#include "data/inversion.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/kernel.hpp"

namespace kesta {

// A pure function of TD, the aquifer's codes (IAQ, IXL), the derived parameters
// and the inversion.
StepResponse step_response(double TD, const Deck& deck, const Derived& derived, const Inversion& inversion);

}  // namespace kesta
