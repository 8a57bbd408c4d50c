#pragma once
// The run: file dialogue, input deck, dimensionless parameters, Stehfest weights,
// stress superposition, results table, closing of the files.
#include "driver/units.hpp"

namespace kesta {

inline constexpr double EXPMAX_VALUE = 708.0;              // cap on the head exponent
inline constexpr double LN2_VALUE = 0.6931471805599453;    // the double nearest ln 2

// Runs once and returns the process exit status: 0 at a normal end and after a
// report message, the error number after a run-time diagnostic.
int run_kesta(Console& console);

}  // namespace kesta
