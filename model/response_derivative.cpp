#include "model/response_derivative.hpp"

#include "model/kernel.hpp"

namespace kesta {

// f(0⁺) is not subtracted: the Stehfest weights sum to zero, so a constant in
// the transform of f' adds nothing to the sum. The head at a well off the bank
// starts at 0 anyway; the gradient at the bank has no finite start, and the sum
// of p·Q(p) still gives its slope for TD > 0.
StepResponse step_response_log_slope(double TD, const Deck& deck, const Derived& d, const Inversion& inversion) {
  const StepResponse sum = stehfest_sum(inversion, TD, [&](int i) {
    const double p = stehfest_variable(i, inversion.LN2, TD);
    const Transforms<double> F = laplace_transforms(p, deck, d, inversion.EXPMAX);
    return Transforms<double>{p * F.head, p * F.seepage};
  });
  return {sum.RH * TD, sum.RQ * TD};
}

}  // namespace kesta
