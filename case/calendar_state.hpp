#pragma once
// What a case's calendar holds: the instant of model time 0 and the zone of
// the dates written.
#include <optional>
#include <string>

#include "case/clock.hpp"
#include "kesta/case.hpp"

namespace kesta {

struct CaseCalendar::State {
  std::optional<Instant> origin;
  const date::time_zone* zone = nullptr;
  std::string zone_name = "UTC";
  double seconds_per_time_unit = 86400.0;
};

}  // namespace kesta
