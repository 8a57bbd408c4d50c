#include "model/contour_superposition.hpp"

#include "model/contour_inversion.hpp"
#include "model/superposition.hpp"

namespace kesta {

Results superpose_by_contour(const Deck& deck, const Derived& derived) {
  const ContourResponses responses = contour_responses(deck, derived, deck.NT - 1);
  return superpose_responses(deck, derived, responses.RH, responses.RQ);
}

}  // namespace kesta
