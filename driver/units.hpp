#pragma once
// The files of a run and the console, owned by the driver.
#include <cstdio>

#include "report/output_unit.hpp"
#include "report/pending_files.hpp"
#include "report/record_reader.hpp"

namespace kesta {

struct Units {
  InputUnit deck;     // unit 15, the input deck
  OutputUnit report;  // unit 16, the results report
  OutputUnit plot;    // unit 17, the plot file (open only when one was named)
  PendingFiles* pending = nullptr;  // outputs written beside their targets, for an interrupted run
};

struct Console {
  std::FILE* in = stdin;  // answers to the prompts
  OutputUnit out;         // prompts and messages
  std::FILE* err = stderr;  // run-time diagnostics
};

}  // namespace kesta
