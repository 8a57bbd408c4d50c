// The inversion's error and the advised number of Stehfest terms for library
// callers: the same calls the program makes before it warns.
#include <stdexcept>

#include "kesta/kesta.hpp"
#include "model/checked_simulation.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/printed_accuracy.hpp"

namespace kesta {
namespace {

// A deck the program would start to simulate, with its derived parameters.
Derived checked(const Deck& deck) {
  if (auto problem = first_problem(deck)) throw std::invalid_argument(*problem);
  return derive(deck);
}

// Results the program would print: an error estimate of overflowing values
// would be no estimate at all.
void check_results(const CheckedSimulation& simulation) {
  if (auto found = first_non_finite_result(simulation.results())) throw std::invalid_argument(found->message());
}

}  // namespace

InversionError inversion_error(const Deck& deck) {
  const Derived parameters = checked(deck);
  CheckedSimulation simulation(deck, parameters, prepare_inversion(deck.NS), {});
  check_results(simulation);
  PairConvolution::Workspace work;
  return simulation.take_error(work);
}

NsAdvice recommend_ns(const Deck& deck) {
  const Derived parameters = checked(deck);
  CheckedSimulation simulation(deck, parameters, prepare_inversion(deck.NS), searched_orders());
  check_results(simulation);
  PairConvolution::Workspace work;
  const InversionError error = simulation.take_error(work);
  return advise_ns(simulation, error, work);
}

}  // namespace kesta
