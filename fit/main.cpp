// kesta-fit: estimates aquifer properties from observed heads and seepage.
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "fit/fit_run.hpp"
#include "io/interrupts.hpp"

namespace {

constexpr std::string_view kUsage =
    "Usage: kesta-fit [--json] [--quiet] [--output-dir DIR] [--units LENGTH,TIME] [--ensemble N]\n"
    "                 [--predict RECORD] [--] FIT.toml\n"
    "       kesta-fit --help | --version\n"
    "Estimates deck values (AK, AS, XAA, ...) from observed heads and seepage by\n"
    "least squares, starting from the deck that the fit file names. Prints the\n"
    "estimates with standard errors and 95 % intervals, the fit of every\n"
    "observation set, the correlations, and in words what the data cannot tell\n"
    "apart. Writes FIT.fitted.dat, FIT.residuals.csv, FIT.svg and FIT.bands.csv\n"
    "(the fitted series with their uncertainty bands) next to the fit file, all\n"
    "four or none.\n"
    "  --json             print the report as one JSON object\n"
    "  --quiet            no progress line per iteration on standard error\n"
    "  --output-dir DIR   write the four files in DIR instead (needed when FIT.toml\n"
    "                     is not a regular file, such as /dev/stdin)\n"
    "  --units LENGTH,TIME  the deck's units, e.g. m,d, in place of the fit file's\n"
    "                     units table: the picture's axes are labelled in them\n"
    "  --ensemble N       also draw N parameter sets (20 to 100000; 0: none) and\n"
    "                     give their percentile bands beside the linear ones\n"
    "  --predict RECORD   run the fitted model with its bands on another stress\n"
    "                     record, a deck or a case file (.toml), in place of the\n"
    "                     fit file's [prediction]; writes FIT.prediction.csv too\n"
    "Exit status: 0 converged and the checks the estimates rest on passed;\n"
    "1 not converged, not identifiable or a gross outlier (all reported all the\n"
    "same), or a fit that could not be computed; 2 bad input or an output that is\n"
    "an input (one line on standard error, nothing written), or a prediction\n"
    "record that does not suit the fit; 1 also for a prediction refused (the fit\n"
    "did not converge: the fit's files written, nothing predicted); 3 the report is\n"
    "printed but the four files, or the report itself, could not be written;\n"
    "interrupted (SIGINT, SIGTERM, SIGHUP): no file changed, ended by the signal.\n";

// --ensemble's count: 0, or 20 to 100000 written as a whole number.
bool read_ensemble(std::string_view text, kesta::fit_detail::RunOptions& options) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const int n = std::stoi(std::string(text));
  if (n != 0 && (n < 20 || n > 100000)) return false;
  options.ensemble = n;
  return true;
}

// What the command line asks for; nothing when it is misused (the reason
// already on standard error).
enum class Action { Run, Help, Version };

std::optional<Action> read_arguments(int argc, char** argv, kesta::fit_detail::RunOptions& options) {
  bool have_file = false;
  bool options_end = false;  // after "--" every argument is the fit file's name
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool option = !options_end && arg.size() > 1 && arg[0] == '-';
    if (option && arg == "--") {
      options_end = true;
    } else if (option && (arg == "--help" || arg == "-h")) {
      return Action::Help;
    } else if (option && arg == "--version") {
      return Action::Version;
    } else if (option && arg == "--json") {
      options.json = true;
    } else if (option && arg == "--quiet") {
      options.quiet = true;
    } else if (option && arg == "--output-dir") {
      if (i + 1 == argc) {
        std::cerr << "kesta-fit: --output-dir needs a folder; try kesta-fit --help\n";
        return std::nullopt;
      }
      options.output_folder = argv[++i];
    } else if (option && arg == "--ensemble") {
      if (i + 1 == argc || !read_ensemble(argv[++i], options)) {
        std::cerr << "kesta-fit: --ensemble needs 0 (no ensemble) or 20 to 100000 parameter sets; try kesta-fit "
                     "--help\n";
        return std::nullopt;
      }
    } else if (option && arg == "--predict") {
      if (i + 1 == argc) {
        std::cerr << "kesta-fit: --predict needs a deck or case file; try kesta-fit --help\n";
        return std::nullopt;
      }
      options.predict = argv[++i];
    } else if (option && arg.rfind("--predict=", 0) == 0) {
      options.predict = std::string(arg.substr(std::string_view("--predict=").size()));
    } else if (option && arg.rfind("--output-dir=", 0) == 0) {
      options.output_folder = std::string(arg.substr(std::string_view("--output-dir=").size()));
    } else if (option && (arg == "--units" || arg.rfind("--units=", 0) == 0)) {
      if (arg == "--units" && i + 1 == argc) {
        std::cerr << "kesta-fit: --units needs LENGTH,TIME such as m,d; try kesta-fit --help\n";
        return std::nullopt;
      }
      const std::string text = arg == "--units" ? std::string(argv[++i]) : std::string(arg.substr(8));
      try {
        options.units = kesta::plot::parse_units(text);
      } catch (const kesta::plot::UnitsError& e) {
        std::cerr << "kesta-fit: --units: " << e.what() << '\n';
        return std::nullopt;
      }
    } else if (option && (arg == "--scheduler" || arg.rfind("--scheduler=", 0) == 0)) {
      // The cluster's workers are Python processes: the route to them is the module's.
      std::cerr << "kesta-fit: --scheduler: kesta-fit simulates the ensemble on this machine's cores; for a Dask "
                   "cluster run examples/fit/cluster_fit.py FIT --ensemble N --scheduler ADDRESS, or "
                   "kesta.fit(FIT, ensemble=N, scheduler=ADDRESS) in Python\n";
      return std::nullopt;
    } else if (option) {
      std::cerr << "kesta-fit: unknown option '" << arg << "'; try kesta-fit --help\n";
      return std::nullopt;
    } else if (have_file) {
      std::cerr << "kesta-fit: one fit file only; try kesta-fit --help\n";
      return std::nullopt;
    } else {
      options.fit_file = arg;
      have_file = true;
    }
  }
  if (!have_file) {
    std::cerr << "kesta-fit: expected a fit file; try kesta-fit --help\n";
    return std::nullopt;
  }
  return Action::Run;
}

}  // namespace

int main(int argc, char** argv) {
  kesta::fit_detail::RunOptions options;
  const auto action = read_arguments(argc, argv, options);
  if (!action) return kesta::fit_detail::kBadInput;
  if (*action == Action::Help) {
    std::cout << kUsage;
    return 0;
  }
  if (*action == Action::Version) {
    std::cout << "kesta-fit " KESTA_VERSION "\n";
    return 0;
  }
  // Made before the fit starts any thread, so that every thread leaves the
  // interrupting signals to the guard.
  kesta::PendingFiles pending;
  const kesta::InterruptGuard guard(pending);
  options.pending = &pending;
  return kesta::fit_detail::run_fit(options, std::cout, std::cerr);
}
