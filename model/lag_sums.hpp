#pragma once
// The convolution sums of the superposition: for each output step i, the rates of
// all earlier intervals times the step response at the lag since each of them.
#include <span>

#include "support/vector_path.hpp"

namespace kesta {

// out[i] = Σ rate[i - j + 1] · response[j] over j = 1..i, summed in increasing j
// from 0.0, for i = 1..n (index 0 of every span is unused). Several output steps
// share vector lanes and the cores share the blocks of output steps; each
// output step's sum keeps exactly the order written above.
void lag_sums(std::span<const double> rate, std::span<const double> response, int n, std::span<double> out,
              VectorPath path = VectorPath::Best);

// The sum of output step i alone, in the same order and so with the same bits.
double lag_sum(std::span<const double> rate, std::span<const double> response, int i);

}  // namespace kesta
