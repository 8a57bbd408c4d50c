#pragma once
// The files of a run and the console, owned by the driver. Each file keeps the
// unit number its diagnostics name.
#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "io/output_unit.hpp"
#include "io/pending_files.hpp"
#include "io/record_reader.hpp"

namespace kesta {

inline constexpr int IUIN = 15;    // the input deck
inline constexpr int IUOUT = 16;   // the results report
inline constexpr int IUPLOT = 17;  // the plot file

struct FileChannels {
  InputUnit deck;                   // unit 15
  OutputUnit report;                // unit 16
  OutputUnit plot;                  // unit 17, open only when a plot file was named
  PendingFiles* pending = nullptr;  // outputs written beside their targets, for an interrupted run
};

struct Console {
  std::FILE* in = stdin;    // answers to the prompts
  OutputUnit out;           // prompts and messages
  std::FILE* err = stderr;  // run-time diagnostics
  // The deck, the results file and the plot file ("" for none) when they were
  // named on the command line: then nothing is asked and the dialogue is silent.
  std::optional<std::array<std::string, 3>> named_files;
};

}  // namespace kesta
