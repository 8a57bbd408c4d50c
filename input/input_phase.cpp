#include "input/input_phase.hpp"

namespace kesta {

// Not built yet.
Outcome read_input_deck(ModelState&, Units&) { return std::nullopt; }

}  // namespace kesta
