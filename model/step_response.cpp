#include "model/step_response.hpp"

namespace kesta {

// Not built yet.
StepResponse step_response(double, const ModelState&) { return {}; }

}  // namespace kesta
