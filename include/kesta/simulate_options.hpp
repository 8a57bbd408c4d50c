#pragma once
// How a simulation brings the step responses back from the Laplace domain.
#include "kesta/deck.hpp"

namespace kesta {

enum class InversionMethod {
  Stehfest,  // the Gaver-Stehfest sum of the deck's NS terms: the program's results of old
  Contour,   // the Bromwich integral on a parabola, accurate to about 1e-13; NS is not used
};

// The most time steps a run by this inversion takes: NTLIMIT or NTLIMIT_CONTOUR.
constexpr int step_limit(InversionMethod inversion) {
  return inversion == InversionMethod::Contour ? NTLIMIT_CONTOUR : NTLIMIT;
}

struct SimulateOptions {
  InversionMethod inversion = InversionMethod::Stehfest;
};

}  // namespace kesta
