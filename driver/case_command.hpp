#pragma once
// kesta --case CASE.toml [--write-deck DECK] [--report FILE] [--plot FILE]: the
// case's records made into a deck, run, and the results written as CSV on the
// calendar; on request the deck, and its report and plot file of old.
#include <cstdio>
#include <optional>
#include <string>

#include "io/pending_files.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

struct CaseCommand {
  std::string case_file;
  std::string write_deck;                    // empty: the case's own choice
  std::string report, plot;                  // likewise
  std::optional<InversionMethod> inversion;  // from the command line, over the case's
};

// Returns the exit status: 0 with the results (and deck) written and the run's
// account on `out`; 2 for a case, record, time or deck that cannot be used, one
// line on `err` and nothing written; 38 when an output could not be written.
int run_case(const CaseCommand& command, PendingFiles* pending, std::FILE* out, std::FILE* err);

}  // namespace kesta
