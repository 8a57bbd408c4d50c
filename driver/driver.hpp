#pragma once
// The run: file dialogue, input deck, dimensionless parameters, Stehfest weights,
// stress superposition, results table, closing of the files.
#include "driver/units.hpp"
#include "report/pending_files.hpp"

namespace kesta {

inline constexpr double EXPMAX_VALUE = 708.0;              // cap on the head exponent
inline constexpr double LN2_VALUE = 0.6931471805599453;    // the double nearest ln 2

// Runs once and returns the process exit status: 0 for a complete report, 1 when
// the deck was rejected (the reason stands in the report), the error number
// after a run-time diagnostic. Outputs written beside their files are listed in
// `pending` while they exist, when a list is given.
int run_kesta(Console& console, PendingFiles* pending = nullptr);

}  // namespace kesta
