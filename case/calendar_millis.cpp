// A calendar's instants as numbers, for callers that keep dates as counts of
// milliseconds (a scripting language's date index, a pickled case).
#include <cmath>

#include "case/calendar_state.hpp"
#include "case/case_error.hpp"

namespace kesta {

CaseCalendar::CaseCalendar(std::optional<std::int64_t> unix_millis, const std::string& zone,
                           double seconds_per_time_unit) {
  auto state = std::make_shared<State>();
  try {
    state->zone = date::locate_zone(zone);
  } catch (const std::runtime_error&) {
    throw CaseError(zone, 0, "not a time zone the database knows");
  }
  state->zone_name = zone;
  state->seconds_per_time_unit = seconds_per_time_unit;
  if (unix_millis) state->origin = Instant(std::chrono::milliseconds(*unix_millis));
  state_ = std::move(state);
}

std::optional<std::int64_t> CaseCalendar::unix_millis_of(double model_time) const {
  if (!state_->origin || !std::isfinite(model_time)) return std::nullopt;
  // As date_of and the results' date column round it.
  const double millis = std::round(model_time * (state_->seconds_per_time_unit * 1000.0));
  return (*state_->origin + std::chrono::milliseconds(static_cast<long long>(millis))).time_since_epoch().count();
}

}  // namespace kesta
