#pragma once
// Calibration as a library: the fit that a fit file describes (a deck to start
// from, records of heads and seepage, the deck values to estimate), its
// summary as a value. kesta-fit prints the same summary, and the Python
// module's kesta.fit returns it as a dictionary.
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/fit_summary.hpp"
#include "kesta/results.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// A fit file, deck or record that cannot be used, too few observations, a
// model that cannot be computed at the initial values, or an output that is
// one of the inputs: nothing is computed and nothing written. what() is one
// line that names the file and line, as kesta-fit prints it.
class FitInputError : public std::runtime_error {
 public:
  // line 0 means the file as a whole (a file that cannot be read, a missing key).
  FitInputError(const std::string& file, int line, const std::string& message);

  // For a message that already names its file and line, as the deck reader's do.
  static FitInputError located(const std::string& file, int line, const std::string& message);

  const std::string& file() const noexcept { return file_; }
  int line() const noexcept { return line_; }

 private:
  struct AsWritten {};
  FitInputError(AsWritten, const std::string& file, int line, const std::string& message);

  std::string file_;
  int line_;
};

// The fit started but cannot be finished: the model fails around the
// estimate, or the inversion error cannot be estimated there. Nothing written.
class FitComputationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The fit is computed but its four files could not be written (a folder that
// takes no new file): what() says which and why in one line, summary() holds
// the whole result with files_not_written set. No file is changed.
class FitWriteError : public std::runtime_error {
 public:
  FitWriteError(const std::string& message, FitSummary summary)
      : std::runtime_error(message), summary_(std::move(summary)) {}
  const FitSummary& summary() const noexcept { return summary_; }

 private:
  FitSummary summary_;
};

// Simulates a batch of the ensemble's members somewhere else than on the
// library's threads (a cluster, say): each deck holds a member's values and
// its well distance, and is run with `options`' inversion. One Results per
// deck, in order; an empty Results, or one whose series do not hold NT
// entries, is a member the model refuses and is left out. What it throws ends
// the fit with a FitComputationError naming the cause.
using MemberSimulator =
    std::function<std::vector<Results>(const std::vector<Deck>& decks, const SimulateOptions& options)>;

struct FitOptions {
  // Where the fitted deck, the residuals, the picture and the bands go;
  // empty: beside the fit file, named after it. A fit file that is not a
  // regular file (a pipe) needs a folder.
  std::filesystem::path output_folder;
  // One line per solver iteration, or none.
  std::ostream* progress = nullptr;
  // In place of the fit file's inversion; nothing: the fit file's (contour
  // unless it says otherwise). With the contour inversion the fit file's ns
  // goes unused.
  std::optional<InversionMethod> inversion = std::nullopt;
  // In place of the fit file's bands ensemble: parameter sets of the ensemble
  // route to the bands, 0 (none) or 20 to 100000.
  std::optional<int> ensemble = std::nullopt;
  // A stress record to predict on, in place of the fit file's [prediction]:
  // a deck, or a case file (.toml). Empty: the fit file's, if any.
  std::filesystem::path predict = {};
  // The ensemble's members simulated by the caller; empty: on the library's
  // threads. The fit itself and the linear bands always run on them.
  MemberSimulator simulate_members = {};
};

// Reads the fit file (TOML, see docs/fitting.md), fits, writes the four
// files (all or none) and returns the summary. A fit that does not converge or
// fails a check is returned all the same: see converged, checks and
// trusted(). Throws FitInputError, FitComputationError or FitWriteError. Fits
// share nothing: several may run at once on different threads.
FitSummary fit(const std::filesystem::path& fit_file, const FitOptions& options = {});

}  // namespace kesta
