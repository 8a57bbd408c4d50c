#pragma once
// Gaver-Stehfest weights for the numerical inversion of the Laplace transform:
// f(t) ≈ (LN2 / t) · Σ V(i) · F(i · LN2 / t), i = 1..NS.
#include <array>

#include "kesta/deck.hpp"

namespace kesta {

// Writes V(1..NS); entries beyond NS are left as they are. NS = 2 or 3 takes
// 0! = 1 (weights 2, -2 for NS = 2); NS <= 0 writes nothing; an NS above NSMAX
// (refused by the input phase) is taken as NSMAX so V is never overrun.
void stehfest_weights(int NS, std::array<double, NSMAX + 1>& V);

}  // namespace kesta
