#pragma once
// Synthetic field records from a known deck, for the tests that fit the real
// model: a small deck, records sampled from simulate with seeded noise, fit
// cases in memory and fit folders on disk.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fit/case/fit_case.hpp"
#include "fit/estimation/least_squares.hpp"

namespace kesta::fit_detail::testing {

// A flood wave of 1 m past a confined aquifer behind a streambank: AK = 10,
// AS = 1e-4, XAA = 30, XZERO = 10, 61 steps of 0.1 day, NS = 12.
Deck flood_deck();

struct RecordPlan {
  Kind kind = Kind::Head;
  double distance = 0.0;  // heads only
  int every = 2;          // one observation every this many output steps
  double noise = 0.0;     // standard deviation of the added noise; weights are 1/noise
};

// Records sampled from simulate(truth) by the inversion given, noise from the
// seed. Noise-free records that a fit must match exactly take the fit's own
// inversion.
std::vector<ObservationSet> records(const Deck& truth, const std::vector<RecordPlan>& plans, unsigned seed,
                                    InversionMethod inversion = InversionMethod::Stehfest);

// Parameters to estimate, by name: initial (NaN: the deck's), min, max.
struct Bounds {
  double initial, min, max;
};
using ParameterPlan = std::map<std::string, Bounds>;

// A fit case in memory: the start deck, the records, the parameters; the
// residuals taken as independent (file.ar1 false), the fit file's default
// contour inversion.
FitCase memory_case(const Deck& start, std::vector<ObservationSet> sets, const ParameterPlan& parameters);

// Runs the fit of a case through the deck model, quietly, with the case's noise model.
LeastSquaresFit run_case(const FitCase& fit_case);

// A folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path path(const std::string& name) const { return root_ / name; }
  void write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path root_;
};

std::string csv_text(const std::vector<CsvObservation>& rows);
std::string file_text(const std::filesystem::path& path);

// Writes deck.dat, one CSV per record (set names as given) and fit.toml whose
// [parameters] section is parameters_toml; top_toml goes before the tables.
void write_fit_folder(const TempFolder& folder, const Deck& start, const std::vector<ObservationSet>& sets,
                      const std::string& parameters_toml, const std::string& top_toml = "");

}  // namespace kesta::fit_detail::testing
