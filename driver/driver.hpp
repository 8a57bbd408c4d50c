#pragma once
// The run: file dialogue, input deck, dimensionless parameters, inversion,
// stress superposition, results table, closing of the files.
#include "driver/file_channels.hpp"
#include "io/pending_files.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// Runs once and returns the process exit status: 0 for a complete report, 1 when
// the deck was rejected (the reason stands in the report), the error number
// after a run-time diagnostic. Outputs written beside their files are listed in
// `pending` while they exist, when a list is given. The contour inversion's
// report says so under NS, and its run gives no Stehfest accuracy warning.
int run_kesta(Console& console, PendingFiles* pending = nullptr, InversionMethod inversion = InversionMethod::Stehfest);

}  // namespace kesta
