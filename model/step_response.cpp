#include "model/step_response.hpp"

namespace kesta {

StepResponse step_response(double TD, const Deck& deck, const Derived& d, const Inversion& inversion) {
  return stehfest_sum(inversion, TD, [&](int i) {
    return laplace_transforms(stehfest_variable(i, inversion.LN2, TD), deck, d, inversion.EXPMAX);
  });
}

}  // namespace kesta
