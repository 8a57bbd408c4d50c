#pragma once
// The ensemble route to the bands: parameter sets drawn from the fitted
// distribution, simulated on every core, their percentiles at each step; and
// where its bands part from the delta method's, the warning that the linear
// band is not to be trusted.
#include <optional>

#include "fit/case/band_runs.hpp"
#include "fit/case/fit_case.hpp"
#include "fit/estimation/least_squares.hpp"
#include "kesta/fit_summary.hpp"

namespace kesta::fit_detail {

// The smallest and largest ensembles a fit file or command line may ask for:
// fewer than 20 members put the 95 % percentiles at the extreme members, more
// than 100000 hold more series in memory than a band is worth.
inline constexpr int kLeastMembers = 20;
inline constexpr int kMostMembers = 100000;
inline constexpr unsigned kDefaultEnsembleSeed = 1;

// Adds the ensemble's bands to `bands` (made by fitted_bands at the same
// estimate) for `members` draws from `seed`: multivariate Student's t at the
// fit's degrees of freedom in solver coordinates, centred on the estimate,
// with the covariance the linear bands use; parameters the bands hold at a
// bound stay there in every member. A member beyond a bound of the fit file,
// or that the library refuses, is left out; with fewer than half left (or
// fewer than kLeastMembers) there are no ensemble bands, and the reason is
// given, as it is when the members' series would take more than 2 GB of
// memory. The prediction band adds to each member a draw of the record's
// noise at each step, scaled by the member's t factor. members = 0: nothing.
// The members run on every core, or through `simulator` when it is given;
// what it throws becomes a FitComputationError naming the fit file.
void add_ensemble_bands(const FitCase& fit_case, const BandRuns& model, const LeastSquaresFit& fit, int members,
                        unsigned seed, Bands& bands, const MemberSimulator& simulator = {});

// The warning for the series whose linear confidence band the ensemble's
// contradicts, naming where each differs most; nothing when none does.
std::optional<FitWarning> linear_band_warning(const Bands& bands);

}  // namespace kesta::fit_detail
