#pragma once
// How a report ends when the deck is rejected: the check's message as its last
// records, and the stop that says so.
#include "input/checks.hpp"
#include "io/output_unit.hpp"
#include "io/stop.hpp"

namespace kesta {

Stop reject(OutputUnit& report, const CheckMessage& message);

}  // namespace kesta
