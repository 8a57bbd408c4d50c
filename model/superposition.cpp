#include "model/superposition.hpp"

namespace kesta {

// Not built yet.
void superpose(ModelState&, const TimeScales&) {}

}  // namespace kesta
