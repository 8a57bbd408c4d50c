#include "model/kernel.hpp"

#include <algorithm>
#include <utility>

namespace kesta {

StressSteps stress_steps(const Deck& deck) {
  const int NT = std::max(deck.NT, 0);
  const auto n = static_cast<std::size_t>(NT);
  std::vector<double> HSTRESS(n + 1, 0.0), QSTRESS(n + 1, 0.0);
  for (int k = 1; k <= NT; ++k) {
    const double stage = deck.STAGE[static_cast<std::size_t>(k - 1)];
    const double rech = deck.RECH[static_cast<std::size_t>(k - 1)];
    switch (deck.ISTRESS) {
      case 0:  // stream-stage fluctuations
        HSTRESS[k] = stage;
        QSTRESS[k] = stage;
        break;
      case 1:  // recharge or leakage through the aquitard
        HSTRESS[k] = rech;
        QSTRESS[k] = -rech;
        break;
      default:  // both
        HSTRESS[k] = stage + rech;
        QSTRESS[k] = stage - rech;
        break;
    }
  }
  // Each change takes the place of the stress it starts from, which no later
  // change reads: a long series needs no second pair of arrays.
  for (int m = 1; m < NT; ++m) {
    HSTRESS[m] = HSTRESS[m + 1] - HSTRESS[m];
    QSTRESS[m] = QSTRESS[m + 1] - QSTRESS[m];
  }
  HSTRESS[n] = QSTRESS[n] = 0.0;
  return {std::move(HSTRESS), std::move(QSTRESS)};
}

}  // namespace kesta
