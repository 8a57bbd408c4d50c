#pragma once
// How a simulation brings the step responses back from the Laplace domain.
namespace kesta {

enum class InversionMethod {
  Stehfest,  // the Gaver-Stehfest sum of the deck's NS terms: the program's results of old
  Contour,   // the Bromwich integral on a parabola, accurate to about 1e-13; NS is not used
};

struct SimulateOptions {
  InversionMethod inversion = InversionMethod::Stehfest;
};

}  // namespace kesta
