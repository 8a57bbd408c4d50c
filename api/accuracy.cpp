// The inversion's error and the advised number of Stehfest terms for library
// callers: the same calls the program makes before it warns.
#include <stdexcept>

#include "kesta/kesta.hpp"
#include "model/checked_simulation.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
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

InversionError inversion_error(const Deck& deck) {
  const Derived parameters = checked(deck);
  PairConvolution::Workspace work;
  return CheckedSimulation(deck, parameters, prepare_inversion(deck.NS), {}).take_error(work);
}

NsAdvice recommend_ns(const Deck& deck) {
  const Derived parameters = checked(deck);
  CheckedSimulation simulation(deck, parameters, prepare_inversion(deck.NS), searched_orders());
  if (auto found = first_non_finite_result(simulation.results())) throw std::invalid_argument(found->message());
  PairConvolution::Workspace work;
  const InversionError error = simulation.take_error(work);
  return advise_ns(simulation, error, work);
}

}  // namespace kesta
