#include "fit/case/inversion_check.hpp"

#include <algorithm>
#include <cmath>

namespace kesta::fit_detail {

bool InversionCheck::all_small() const {
  return std::all_of(small.begin(), small.end(), [](bool s) { return s; });
}

InversionCheck check_inversion(const FitCase& c, const DeckModel& model, const std::vector<double>& estimate,
                               const std::vector<double>& residual) {
  InversionCheck check;
  const Deck fitted = model.deck_with(estimate);
  check.NS = fitted.NS;
  const std::vector<double> error = model.inversion_errors(estimate);
  std::size_t k = 0;
  for (const ObservationSet& set : c.sets) {
    double errors = 0.0, residuals = 0.0;
    for (std::size_t i = 0; i < set.rows.size(); ++i, ++k) {
      const double weighted = set.rows[i].weight * error[k];
      errors += weighted * weighted;
      residuals += residual[k] * residual[k];
    }
    const double n = static_cast<double>(c.observed.sets[check.rms.size()].size());
    check.rms.push_back(std::sqrt(errors / n));
    check.rmse.push_back(std::sqrt(residuals / n));
    check.small.push_back(check.rms.back() <= kInversionShare * check.rmse.back());
  }
  if (!check.all_small()) check.better = recommend_ns(fitted);
  return check;
}

}  // namespace kesta::fit_detail
