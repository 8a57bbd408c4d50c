#pragma once
// Cases in the library: a case file (dated or numeric stage and recharge
// records, the aquifer, the step) made into the deck the model runs, with the
// calendar its results are written on. docs/records.md describes the file.
// Built into the kesta_case library, which brings the date library and its
// time-zone database; the rest of the library needs neither.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/errors.hpp"
#include "kesta/results.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// The calendar of a case's model time: the instant of time 0 (the start of a
// dated run, or the origin a numeric case gives) and the zone dates are
// written in. A case without either has no dates.
class CaseCalendar {
 public:
  CaseCalendar();  // no dates
  bool dated() const;
  // The zone's name ("UTC", "Europe/Amsterdam").
  const std::string& zone() const;
  // Seconds in one unit of model time.
  double seconds_per_time_unit() const;
  // "2023-05-01T01:07:00+02:00" for a model time, in the zone's time
  // (milliseconds only when there are some); empty without dates.
  std::string date_of(double model_time) const;
  // The model time of a time text: a date in ISO 8601 (or in `format`, a
  // strftime-like pattern), taken in `zone` when it has no offset (empty: the
  // calendar's zone); nothing for text that is not a time in that style or a
  // calendar without dates. Throws CaseError for a zone the database lacks.
  std::optional<double> model_time_of(std::string_view text, const std::string& format = "",
                                      const std::string& zone = "") const;

  // The calendar's workings, for the library's own writers.
  struct State;
  explicit CaseCalendar(std::shared_ptr<const State> state);
  const State& state() const { return *state_; }

 private:
  std::shared_ptr<const State> state_;
};

// A case made into its deck.
struct PreparedCase {
  Deck deck;  // NT, TIME, STAGE and RECH from the records by the step rule
  SimulateOptions options;
  CaseCalendar calendar;
  std::string length_unit = "m", time_unit = "d";
  // The run's account of its records (readings used, gaps bridged, largest
  // difference, zones), one line each.
  std::vector<std::string> summary;
  // The outputs the case names (results; the deck, empty for none), resolved
  // beside the case file, and every file the case reads.
  std::filesystem::path results_file, deck_file;
  std::vector<std::filesystem::path> inputs;
};

// Reads a case file and its deck and records. Throws CaseError naming the
// file and line at fault.
PreparedCase read_case(const std::filesystem::path& path);

// The results as the case's CSV: the account as `#` lines, a header with
// every column's unit, the model time, the date (a dated calendar) and the
// results in the shortest form that reads back to the same double.
std::string case_results_csv(const PreparedCase& prepared, const Results& results);

}  // namespace kesta
