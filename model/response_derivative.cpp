#include "model/response_derivative.hpp"

#include "model/laplace_transforms.hpp"

namespace kesta {

// f(0⁺) is not subtracted: the Stehfest weights sum to zero, so a constant in
// the transform of f' adds nothing to the sum. The head at a well off the bank
// starts at 0 anyway; the gradient at the bank has no finite start, and the sum
// of p·Q(p) still gives its slope for TD > 0.
StepResponse step_response_log_slope(double TD, const Deck& deck, const Derived& d, const Inversion& inversion) {
  const int terms = inversion.NS < NSMAX ? inversion.NS : NSMAX;
  double SUMH = 0.0;
  double SUMQ = 0.0;
  for (int i = 1; i <= terms; ++i) {
    const double p = (static_cast<double>(i) * inversion.LN2) / TD;
    const Transforms<double> F = laplace_transforms(p, deck, d, inversion.EXPMAX);
    SUMH = SUMH + (p * F.head) * inversion.V[i];
    SUMQ = SUMQ + inversion.V[i] * (p * F.seepage);
  }
  return {(SUMH * inversion.LN2 / TD) * TD, (SUMQ * inversion.LN2 / TD) * TD};
}

}  // namespace kesta
