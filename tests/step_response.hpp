#pragma once
// The step response at one dimensionless time, each term's transforms taken
// afresh: the plain route that the lags the model shares between orders and
// threads must match bit for bit. It never enters the program.
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/inversion.hpp"
#include "model/kernel.hpp"

namespace kesta {

inline StepResponse step_response(double TD, const Deck& deck, const Derived& derived, const Inversion& inversion) {
  return stehfest_sum(inversion, TD, [&](int i) {
    return laplace_transforms(stehfest_variable(i, inversion.LN2, TD), deck, derived, inversion.EXPMAX);
  });
}

}  // namespace kesta
