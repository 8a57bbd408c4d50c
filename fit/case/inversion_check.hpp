#pragma once
// Whether the Stehfest inversion's own error is small against the misfit of
// every observation set at the estimate: an inversion error that is not small
// moves the estimates as the data would. Fits by the contour inversion, whose
// error is far below any record's, are not checked.
#include <optional>
#include <vector>

#include "fit/case/deck_model.hpp"

namespace kesta::fit_detail {

// The inversion error counts as small when its RMS at a set's observations
// (weighted as the residuals are) is at most this share of the set's RMSE.
// Errors add in quadrature to a random misfit, so a tenth changes the RMSE by
// half a percent; a systematic error of that size shifts an estimate by
// about a tenth of its standard error.
inline constexpr double kInversionShare = 0.1;

struct InversionCheck {
  int NS = 0;                      // the order of the fitted deck
  std::vector<double> rms;         // per observation set, weighted units
  std::vector<double> rmse;        // of the residuals, per set
  std::vector<bool> small;         // per set
  std::optional<NsAdvice> better;  // the recommended order, when some set fails
  bool all_small() const;
};

// residual: weight * (simulated - observed) at the estimate, set after set.
InversionCheck check_inversion(const FitCase& fit_case, const DeckModel& model, const std::vector<double>& estimate,
                               const std::vector<double>& residual);

}  // namespace kesta::fit_detail
