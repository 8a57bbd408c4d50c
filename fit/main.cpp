// kesta-fit: estimates aquifer properties from observed heads and seepage.
#include <iostream>
#include <string_view>

#include "fit/fit_run.hpp"

namespace {

constexpr std::string_view kUsage =
    "Usage: kesta-fit FIT.toml [--json] [--quiet]\n"
    "       kesta-fit --help | --version\n"
    "Estimates deck values (AK, AS, XAA, ...) from observed heads and seepage by\n"
    "least squares, starting from the deck that the fit file names. Prints the\n"
    "estimates with standard errors and 95 % intervals, the fit of every\n"
    "observation set, the correlations, and in words what the data cannot tell\n"
    "apart. Writes FIT.fitted.dat, FIT.residuals.csv and FIT.svg next to the fit\n"
    "file.\n"
    "  --json   print the report as one JSON object\n"
    "  --quiet  no progress line per iteration on standard error\n"
    "Exit status: 0 converged and the checks the estimates rest on passed;\n"
    "1 not converged, not identifiable or a gross outlier (all reported all the\n"
    "same), or a fit that could not be computed; 2 bad input (one line on\n"
    "standard error, nothing written); 3 a file could not be written.\n";

}  // namespace

int main(int argc, char** argv) {
  kesta::fit::RunOptions options;
  bool have_file = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "kesta-fit " KESTA_VERSION "\n";
      return 0;
    }
    if (arg == "--json")
      options.json = true;
    else if (arg == "--quiet")
      options.quiet = true;
    else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "kesta-fit: unknown option '" << arg << "'; try kesta-fit --help\n";
      return kesta::fit::kBadInput;
    } else if (have_file) {
      std::cerr << "kesta-fit: one fit file only; try kesta-fit --help\n";
      return kesta::fit::kBadInput;
    } else {
      options.fit_file = arg;
      have_file = true;
    }
  }
  if (!have_file) {
    std::cerr << "kesta-fit: expected a fit file; try kesta-fit --help\n";
    return kesta::fit::kBadInput;
  }
  return kesta::fit::run_fit(options, std::cout, std::cerr);
}
