#pragma once
// The error of the Gaver-Stehfest inversion in the head and seepage of every
// time step: the step responses of each order, less the contour inversion's,
// superposed over the stress changes as the results are.
#include <span>

#include "kesta/accuracy.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "model/fft_convolution.hpp"

namespace kesta {

// The per-step error of one order from its lag errors (entry j - 1 for lag j),
// into `out`, whose series keep their room from order to order: fresh memory
// for each of a long run's orders costs more than convolving it.
template <typename T>
void carried_error(InversionError& out, int NS, const Deck& deck, const Derived& derived,
                   const PairConvolution& changes, std::span<const T> lag_H, std::span<const T> lag_Q,
                   PairConvolution::Workspace& work);

}  // namespace kesta
