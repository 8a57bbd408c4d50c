// Checking, deriving and simulating a deck for library callers: the same calls
// the program makes, with exceptions where the program writes a message.
#include <stdexcept>

#include "input/checks.hpp"
#include "kesta/kesta.hpp"
#include "model/contour_superposition.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"
#include "model/superposition.hpp"

namespace kesta {

// Everything the values alone decide, so that simulate refuses a deck only with
// this text or with a result that overflows while it is computed.
std::optional<std::string> first_problem(const Deck& deck) { return first_problem(deck, SimulateOptions{}); }

std::optional<std::string> first_problem(const Deck& deck, const SimulateOptions& options) {
  if (auto message = first_failed_check(deck, options.inversion)) {
    std::string text = message_text(*message);
    if (contour_takes_steps(deck, options.inversion))
      text += " The contour inversion accepts up to " + std::to_string(NTLIMIT_CONTOUR) + " time steps.";
    return text;
  }
  if (auto found = first_non_finite_parameter(deck, derive(deck), prepare_inversion(deck.NS))) return found->message();
  return std::nullopt;
}

Derived derived(const Deck& deck) { return derive(deck); }

Results simulate(const Deck& deck) { return simulate(deck, SimulateOptions{}); }

Results simulate(const Deck& deck, const SimulateOptions& options) {
  if (auto problem = first_problem(deck, options)) throw std::invalid_argument(*problem);
  Results results = options.inversion == InversionMethod::Contour
                        ? superpose_by_contour(deck, derive(deck))
                        : superpose(deck, derive(deck), prepare_inversion(deck.NS));
  if (auto found = first_non_finite_result(results)) throw std::invalid_argument(found->message());
  return results;
}

}  // namespace kesta
