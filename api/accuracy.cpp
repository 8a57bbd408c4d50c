// The inversion's error and the advised number of Stehfest terms for library
// callers: the same calls the program makes before it warns.
#include <stdexcept>

#include "kesta/kesta.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/inversion_error.hpp"
#include "model/superposition.hpp"
#include "report/printed_accuracy.hpp"

namespace kesta {
namespace {

// A deck the program would run to the end, with its derived parameters.
Derived checked(const Deck& deck) {
  if (auto problem = first_problem(deck)) throw std::invalid_argument(*problem);
  const Derived parameters = derive(deck);
  if (auto found = first_non_finite_parameter(deck, parameters, prepare_inversion(deck.NS)))
    throw std::invalid_argument(found->message());
  return parameters;
}

}  // namespace

InversionError inversion_error(const Deck& deck) { return inversion_errors(deck, checked(deck), {deck.NS}).front(); }

NsAdvice recommend_ns(const Deck& deck) {
  const Derived parameters = checked(deck);
  const Results results = superpose(deck, parameters, prepare_inversion(deck.NS));
  if (auto found = first_non_finite_result(results)) throw std::invalid_argument(found->message());
  return advise_ns(deck, parameters, results, inversion_errors(deck, parameters, {deck.NS}).front());
}

}  // namespace kesta
