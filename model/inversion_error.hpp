#pragma once
// The error of the Gaver-Stehfest inversion in the head and seepage of every
// time step: the step responses of each order, less the contour inversion's,
// superposed over the stress changes as the results are.
#include <vector>

#include "kesta/accuracy.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"

namespace kesta {

// One entry per order asked for (each from 1 to NSMAX), in that order. The
// Stehfest step responses are bit for bit those of the superposition; the
// orders share their evaluations of the transforms.
std::vector<InversionError> inversion_errors(const Deck& deck, const Derived& derived, const std::vector<int>& orders);

}  // namespace kesta
