#pragma once
// Gaver-Stehfest weights for the numerical inversion of the Laplace transform.
#include <array>

#include "driver/model_state.hpp"

namespace kesta {

// Writes V(1..NS); entries beyond NS are left as they are.
void stehfest_weights(int NS, std::array<double, NSMAX + 1>& V);

}  // namespace kesta
