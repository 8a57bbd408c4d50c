#include "model/inversion.hpp"

#include "model/stehfest.hpp"

namespace kesta {

Inversion prepare_inversion(int NS) {
  Inversion inversion;
  inversion.NS = NS;
  inversion.EXPMAX = EXPMAX_VALUE;
  stehfest_weights(NS, inversion.V);
  inversion.LN2 = LN2_VALUE;
  return inversion;
}

}  // namespace kesta
