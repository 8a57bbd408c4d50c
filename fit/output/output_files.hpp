#pragma once
// The files written next to the fit file: the fitted deck, the residuals and
// the picture.
#include <string>

#include "fit/case/deck_model.hpp"
#include "fit/estimation/least_squares.hpp"
#include "fit/output/fit_summary.hpp"

namespace kesta::fit {

// set,time,observed,simulated,residual: one line per observation.
std::string residuals_csv(const FitCase& fit_case, const LeastSquaresFit& fit);

// The picture of the observed points over the curves fitted at the estimate.
std::string fit_picture(const FitCase& fit_case, const DeckModel& model, const LeastSquaresFit& fit);

// Writes all three or none: each goes to a temporary file first, and only
// when all are complete are they renamed into place. Throws
// std::runtime_error naming the file that failed.
void write_output_files(const OutputNames& names, const std::string& fitted_deck, const std::string& residuals,
                        const std::string& picture);

}  // namespace kesta::fit
