#include "model/dimensionless.hpp"

namespace kesta {

// Not built yet: the run goes on without the parameters.
TimeScales dimensionless_parameters(ModelState&) { return {}; }
void write_dimensionless_block(const ModelState&, const TimeScales&, OutputUnit&) {}

}  // namespace kesta
