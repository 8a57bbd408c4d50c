#pragma once
// The report's message for a quantity that is not a finite number.
#include "io/output_unit.hpp"
#include "io/stop.hpp"
#include "model/finite_checks.hpp"

namespace kesta {

// Writes "   <WHAT> IS NOT A FINITE NUMBER. CHECK <VALUES>. PROGRAM STOPPED." and
// rejects the deck.
Stop stop_not_finite(OutputUnit& report, const NotFinite& found);

}  // namespace kesta
