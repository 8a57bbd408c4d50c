#include "model/step_response.hpp"

#include "model/laplace_transforms.hpp"

namespace kesta {

StepResponse step_response(double TD, const Deck& deck, const Derived& d, const Inversion& inversion) {
  const int terms = inversion.NS < NSMAX ? inversion.NS : NSMAX;
  double SUMH = 0.0;
  double SUMQ = 0.0;
  for (int i = 1; i <= terms; ++i) {
    const double p = (static_cast<double>(i) * inversion.LN2) / TD;
    const Transforms<double> F = laplace_transforms(p, deck, d, inversion.EXPMAX);
    SUMH = SUMH + F.head * inversion.V[i];
    SUMQ = SUMQ + inversion.V[i] * F.seepage;
  }
  return {SUMH * inversion.LN2 / TD, SUMQ * inversion.LN2 / TD};
}

}  // namespace kesta
