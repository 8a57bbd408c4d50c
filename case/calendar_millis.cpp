// A calendar's instants as numbers, for callers that keep dates as counts of
// milliseconds (a scripting language's date index).
#include <cmath>

#include "case/calendar_state.hpp"

namespace kesta {

std::optional<std::int64_t> CaseCalendar::unix_millis_of(double model_time) const {
  if (!state_->origin || !std::isfinite(model_time)) return std::nullopt;
  // As date_of and the results' date column round it.
  const double millis = std::round(model_time * (state_->seconds_per_time_unit * 1000.0));
  return (*state_->origin + std::chrono::milliseconds(static_cast<long long>(millis))).time_since_epoch().count();
}

}  // namespace kesta
