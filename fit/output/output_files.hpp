#pragma once
// The files written next to the fit file: the fitted deck, the residuals,
// the picture and the bands.
#include <optional>
#include <string>

#include "fit/case/deck_model.hpp"
#include "fit/estimation/least_squares.hpp"
#include "fit/output/fit_summary.hpp"
#include "io/pending_files.hpp"
#include "plot/units.hpp"

namespace kesta::fit_detail {

// set,time,observed,simulated,residual: one line per observation; with a
// calendar (a fit from a dated case), the date beside the model time.
std::string residuals_csv(const FitCase& fit_case, const LeastSquaresFit& fit);

// time, then per series its estimate and bands: <series>_estimate,
// _conf_lower, _conf_upper and, where a record gives the noise, _pred_lower,
// _pred_upper. Without bands (the fit did not converge) their fields are empty.
// With dates (a prediction on a dated case) a date column follows the time.
std::string bands_csv(const Bands& bands, const std::vector<std::string>& dates = {});

// The picture of the observed points over the curves fitted at the estimate
// and their bands, with the residuals below, its axes labelled in units.
std::string fit_picture(const FitCase& fit_case, const DeckModel& model, const LeastSquaresFit& fit, const Bands& bands,
                        const plot::Units& units);

// Writes all four (five with a fitted case: names.fitted_case not empty; and
// the prediction when given) or none: each goes to a file of its own beside its
// output first, and only when all are complete are they renamed into place,
// under a lock that keeps another run's renames of the same names before or
// after. Returns nothing when the three are in place, otherwise why not, naming the
// file or the folder that refused them.
std::optional<std::string> write_output_files(const OutputNames& names, const std::string& fitted_deck,
                                              const std::string& residuals, const std::string& picture,
                                              const std::string& bands, PendingFiles* pending,
                                              const std::string& fitted_case = "",
                                              const std::optional<std::string>& prediction = std::nullopt);

// The first output that is one of the fit's inputs (fit file, deck, records,
// and the prediction's record and the files it reads) or that is another of
// the outputs, as a message naming both; nothing when every output is a file
// of its own.
std::optional<std::string> output_clash(const OutputNames& names, const FitCase& fit_case,
                                        const std::vector<std::filesystem::path>& prediction_inputs = {});

}  // namespace kesta::fit_detail
