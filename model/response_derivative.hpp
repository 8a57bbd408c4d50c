#pragma once
// The step response's slope in log time, TD·dRH/dTD and TD·dRQ/dTD, taken in
// the Laplace domain before inversion: the transform of f' is p·F(p) − f(0⁺),
// so the slope is the Stehfest sum of p·F(p) times TD. No difference of two
// inverted values is taken, so the inversion's rounding is not divided by a
// step.
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/inversion.hpp"
#include "model/kernel.hpp"

namespace kesta {

// At fixed derived parameters. TD = AK·t / (AS·XZERO²), and a confined
// aquifer's derived parameters hold neither AK nor AS, so there it is the
// derivative of the step response by ln AK at fixed t, and minus that by ln AS.
// A leaky aquifer's GAMMA1 and SIGMA1 hold both: its parameter derivatives
// need those terms as well.
StepResponse step_response_log_slope(double TD, const Deck& deck, const Derived& derived, const Inversion& inversion);

}  // namespace kesta
