#include "model/stresses.hpp"

namespace kesta {

void set_stresses(const Deck& deck, std::vector<double>& HSTRESS, std::vector<double>& QSTRESS) {
  for (int k = 1; k <= deck.NT; ++k) {
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
}

}  // namespace kesta
