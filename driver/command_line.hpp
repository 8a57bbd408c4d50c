#pragma once
// The command line: no arguments for the console dialogue, or the names of the
// deck, the results file and an optional plot file; --help, --version and the
// choice of inversion.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "kesta/simulate_options.hpp"

namespace kesta {

struct CommandLine {
  enum class Action { Run, Help, Version, Misuse };
  Action action = Action::Run;
  std::optional<std::array<std::string, 3>> named_files;  // nothing: ask on the console
  std::string complaint;                                  // what is wrong, for Misuse
  InversionMethod inversion = InversionMethod::Stehfest;
  bool inversion_named = false;  // --inversion was given
  // --case CASE.toml [--write-deck DECK]: a case file instead of a deck.
  std::string case_file;
  std::string write_deck;
  std::string report, plot;  // --report FILE, --plot FILE: the legacy outputs of the case's deck
};

CommandLine read_command_line(const std::vector<std::string>& arguments);

// The text of --help.
std::string usage_text();

}  // namespace kesta
