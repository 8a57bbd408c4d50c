#pragma once
// The stress record a fitted model predicts on: a deck or a case file, read
// and checked against the fit's deck, and made into the deck the prediction
// runs. From the record: the stress series (STAGE, RECH, ISTRESS), NT and
// TINIT, and DELT, which must be the fit's deck's. From the fit: every
// aquifer value (those estimated at the estimate), HINIT, NS and the
// inversion; the record may not change them. The wells: the fit's records
// and further distances.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fit/case/fit_case.hpp"
#include "fit/estimation/least_squares.hpp"
#include "kesta/case.hpp"

namespace kesta::fit_detail {

struct PredictionRecord {
  std::string shown;                          // the record as named
  Deck deck;                                  // the fit's deck with the record's stress series and steps
  std::optional<CaseCalendar> calendar;       // a dated case's
  std::vector<std::filesystem::path> inputs;  // every file it reads
};

// Throws FitInputError: a record that cannot be read (its own message), a
// time step or an aquifer value other than the fit's deck's (naming the file
// and line of each), a record the fit's inversion cannot run.
PredictionRecord load_prediction(const FitCase& fit_case, const PredictionEntry& entry);

// The entry to predict on: the command line's record (with the fit file's
// output name, if any) in place of the fit file's [prediction]; nothing when
// neither asks.
std::optional<PredictionEntry> prediction_entry(const FitFile& file, const std::filesystem::path& command_line);

// The fitted model on the record at the wells of `distances`, with the same
// bands as the fit's own (`fitted`); refused, with the reason, where the fit
// has none: a band around a point that is not a minimum is not drawn.
Prediction predict(const FitCase& fit_case, const PredictionRecord& record, const std::vector<double>& distances,
                   const LeastSquaresFit& fit, const Bands& fitted);

}  // namespace kesta::fit_detail
