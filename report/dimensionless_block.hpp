#pragma once
// The dimensionless-parameters block of the results report.
#include "io/output_unit.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"

namespace kesta {

void write_dimensionless_block(const Deck& deck, const Derived& derived, OutputUnit& report);

}  // namespace kesta
