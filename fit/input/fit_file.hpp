#pragma once
// The fit file (TOML): the deck, the observation files and the parameters to
// estimate, as written. Checks that need the deck or the observations come later.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fit/input/observation_csv.hpp"
#include "fit/input/parameters.hpp"
#include "kesta/simulate_options.hpp"
#include "plot/units.hpp"

namespace kesta::fit_detail {

using Kind = RecordKind;

struct ObservationEntry {
  std::string file;            // as written in the fit file
  std::filesystem::path path;  // relative to the fit file's folder
  Kind kind = Kind::Head;
  std::optional<double> distance;  // X of the well; nothing: the deck's X
  int line = 0;                    // line of the entry's file key
  int distance_line = 0;
  RecordLayout layout;
};

struct ParameterEntry {
  const ParameterInfo* info = nullptr;
  std::optional<double> initial, min, max;  // nothing: the deck's value, no bound
  int line = 0;
};

// [prediction]: the stress record to run the fitted model on, and where its
// bands go.
struct PredictionEntry {
  std::string record;  // as written: a deck, or a case file (.toml)
  std::filesystem::path path;
  bool is_case = false;
  int line = 0;        // of the deck or case key
  std::string output;  // as written; empty: <fit>.prediction.csv
  std::filesystem::path output_path;
};

struct FitFile {
  std::string shown_name;  // the fit file as named on the command line
  std::string deck;        // as written
  std::filesystem::path deck_path;
  int deck_line = 0;
  // Or a case file, whose deck (its stress series from the records) starts
  // the fit and whose calendar gives the dates: `case` instead of `deck`.
  std::string case_name;
  std::filesystem::path case_path;
  int case_line = 0;
  std::vector<ObservationEntry> observations;
  std::vector<ParameterEntry> parameters;  // in the order of estimable_parameters()
  int max_iterations = 100;
  // The contour inversion unless the file says "stehfest" or, written before
  // the contour inversion was the fit's own, gives ns alone.
  InversionMethod inversion = InversionMethod::Contour;
  int inversion_line = 0;
  // The inversion written in the fit file (inversion or ns) or given on the
  // command line; otherwise a case's own inversion is the fit's.
  bool inversion_chosen = false;
  NsChoice ns_choice = NsChoice::Deck;  // the Stehfest inversion's order
  int ns = 0;                           // with NsChoice::Given
  int ns_line = 0;
  bool ar1 = true;  // noise = "ar1" (default) or "independent"
  int starts = 1;   // starting points; more than one spreads them over the bounds
  int starts_line = 0;
  // The level of the uncertainty bands on the fitted model's series.
  double band_level = 0.95;
  int bands_line = 0;
  // units = { length = "m", time = "d" }: they label the picture; nothing: L and T.
  std::optional<plot::Units> units;
  int units_line = 0;
  // Parameter sets of the ensemble route to the bands (0: none), and the seed
  // of their draws.
  int ensemble = 0;
  unsigned ensemble_seed = 1;
  // Further well distances to draw head bands at (bands = { distances = [...] }).
  std::vector<double> band_distances;
  std::vector<int> band_distance_lines;
  std::optional<PredictionEntry> prediction;
};

// Throws FitInputError naming the key and its line: unknown key, wrong type,
// missing entry, both or neither of deck and case, min >= max, a value that is not finite, ns with the contour
// inversion.
// The prediction record a command line names: a case file when it ends in
// .toml, else a deck.
PredictionEntry prediction_named(const std::filesystem::path& record);

FitFile read_fit_file(const std::filesystem::path& path);
FitFile parse_fit_file(std::string_view text, const std::string& shown_name, const std::filesystem::path& folder);

}  // namespace kesta::fit_detail
