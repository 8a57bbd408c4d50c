#include "model/inversion.hpp"

#include "model/stehfest.hpp"

namespace kesta {

void prepare_inversion(ModelState& state) {
  state.EXPMAX = EXPMAX_VALUE;
  stehfest_weights(state.NS, state.V);
  state.LN2 = LN2_VALUE;
}

}  // namespace kesta
