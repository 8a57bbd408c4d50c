#include "model/kernel.hpp"

#include <algorithm>

namespace kesta {

StressSteps stress_steps(const Deck& deck) {
  const int NT = std::max(deck.NT, 0);
  const auto n = static_cast<std::size_t>(NT);
  StressSteps s{std::vector<double>(n + 1, 0.0), std::vector<double>(n + 1, 0.0)};
  for (int k = 1; k <= NT; ++k) {
    const double stage = deck.STAGE[static_cast<std::size_t>(k - 1)];
    const double rech = deck.RECH[static_cast<std::size_t>(k - 1)];
    switch (deck.ISTRESS) {
      case 0:  // stream-stage fluctuations
        s.head[k] = stage;
        s.seepage[k] = stage;
        break;
      case 1:  // recharge or leakage through the aquitard
        s.head[k] = rech;
        s.seepage[k] = -rech;
        break;
      default:  // both
        s.head[k] = stage + rech;
        s.seepage[k] = stage - rech;
        break;
    }
  }
  // Each change takes the place of the stress it starts from, which no later
  // change reads: a long series needs no second pair of arrays.
  for (int m = 1; m < NT; ++m) {
    s.head[m] = s.head[m + 1] - s.head[m];
    s.seepage[m] = s.seepage[m + 1] - s.seepage[m];
  }
  s.head[n] = s.seepage[n] = 0.0;
  return s;
}

}  // namespace kesta
