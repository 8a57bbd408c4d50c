// kesta: hydraulic interaction between a stream and a confined or leaky aquifer.
// With no arguments the three file names are asked for on the console; with
// arguments they are the deck, the results file and the optional plot file.
#include <unistd.h>
#include <cstdio>

#include "driver/case_command.hpp"
#include "driver/command_line.hpp"
#include "driver/driver.hpp"
#include "io/interrupts.hpp"

namespace {
constexpr int kMisuse = 2;
}

int main(int argc, char** argv) {
  const kesta::CommandLine line = kesta::read_command_line(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case kesta::CommandLine::Action::Help:
      // Help and version text on a console that is gone: nothing else to do.
      (void)std::fputs(kesta::usage_text().c_str(), stdout);
      return 0;
    case kesta::CommandLine::Action::Version: (void)std::puts("kesta " KESTA_VERSION); return 0;
    case kesta::CommandLine::Action::Misuse:
      (void)std::fprintf(stderr, "kesta: %s; try kesta --help\n", line.complaint.c_str());
      return kMisuse;
    case kesta::CommandLine::Action::Run: break;
  }
  kesta::PendingFiles pending;
  const kesta::InterruptGuard guard(pending);
  if (!line.case_file.empty()) {
    const kesta::CaseCommand command{line.case_file, line.write_deck, line.report, line.plot,
                                     line.inversion_named ? std::optional(line.inversion) : std::nullopt};
    return kesta::run_case(command, &pending, stdout, stderr);
  }
  kesta::Console console;
  console.out.attach(6, STDOUT_FILENO, "stdout");
  console.named_files = line.named_files;
  return kesta::run_kesta(console, &pending, line.inversion);
}
