// Checking, deriving and simulating a deck for library callers: the same calls
// the program makes, with exceptions where the program writes a message.
#include <stdexcept>

#include "input/checks.hpp"
#include "kesta/kesta.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/superposition.hpp"

namespace kesta {

std::optional<std::string> first_problem(const Deck& deck) {
  if (auto message = first_failed_check(deck)) return message_text(*message);
  return std::nullopt;
}

Derived derived(const Deck& deck) { return derive(deck); }

Results simulate(const Deck& deck) {
  if (auto problem = first_problem(deck)) throw std::invalid_argument(*problem);
  const Derived parameters = derive(deck);
  const Inversion inversion = prepare_inversion(deck.NS);
  if (auto found = first_non_finite_parameter(deck, parameters, inversion))
    throw std::invalid_argument(found->message());
  Results results = superpose(deck, parameters, inversion);
  if (auto found = first_non_finite_result(results)) throw std::invalid_argument(found->message());
  return results;
}

}  // namespace kesta
