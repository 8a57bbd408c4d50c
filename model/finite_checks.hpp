#pragma once
// Values that pass every check of the deck can still overflow the model: a
// derived parameter, the time scale or a result that is not a finite number is
// found here, before it is used or printed, with the deck values that made it.
#include <optional>
#include <string>

#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/results.hpp"
#include "model/inversion.hpp"

namespace kesta {

struct NotFinite {
  std::string what;     // the quantity, as the report names it
  std::string look_at;  // the deck values it comes from

  // "<WHAT> IS NOT A FINITE NUMBER. CHECK <VALUES>. PROGRAM STOPPED."
  std::string message() const { return what + " IS NOT A FINITE NUMBER. CHECK " + look_at + ". PROGRAM STOPPED."; }
};

// The first derived parameter or seepage scale that is not a finite number, or
// a dimensionless time step that the inversion cannot take (not above zero, a
// largest Laplace variable or a longest lag that overflows).
std::optional<NotFinite> first_non_finite_parameter(const Deck& deck, const Derived& derived,
                                                    const Inversion& inversion);

// The first printed value of the results table that is not a finite number, in
// the table's order: step by step, column by column.
std::optional<NotFinite> first_non_finite_result(const Results& results);

}  // namespace kesta
