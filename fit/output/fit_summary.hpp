#pragma once
// Everything a fit reports, gathered once for the text table, the JSON object,
// the files and the library's callers.
#include <filesystem>
#include <optional>
#include <string>

#include "fit/case/fit_case.hpp"
#include "fit/case/inversion_check.hpp"
#include "fit/estimation/estimates.hpp"
#include "fit/estimation/identifiability.hpp"
#include "fit/estimation/least_squares.hpp"
#include "fit/estimation/multistart.hpp"
#include "fit/estimation/residual_diagnostics.hpp"
#include "kesta/fit_summary.hpp"

namespace kesta::fit_detail {

// Names of the files written next to the fit file, or in `folder` when one is
// given: <fit>.fitted.dat and so on, <fit> being the fit file's name without
// its extension.
OutputNames output_names(const std::string& fit_file, const std::filesystem::path& folder = {});

// The caveats and the model check list of a summary, in the report's order
// and words. `inversion`: the Stehfest inversion's check, or nothing.
std::vector<FitWarning> caveats(const FitSummary& s, const LeastSquaresFit& fit,
                                const std::optional<InversionCheck>& inversion);
std::vector<ModelCheck> model_checks(const FitSummary& s);

// `inversion`: the Stehfest inversion's check; nothing with the contour inversion.
FitSummary summarize(const FitCase& fit_case, const LeastSquaresFit& fit,
                     const std::optional<InversionCheck>& inversion, const StartsSummary& starts, long evaluations,
                     double seconds);

}  // namespace kesta::fit_detail
