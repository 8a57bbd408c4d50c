#pragma once
// Cases in the library: a case file (dated or numeric stage and recharge
// records, the aquifer, the step) made into the deck the model runs, with the
// calendar its results are written on. docs/records.md describes the file.
// Built into the kesta_case library, which brings the date library and its
// time-zone database; the rest of the library needs neither.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
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
  // Time 0 at `unix_millis` (milliseconds since 1970-01-01T00:00Z; nothing: no
  // dates), dates written in `zone`. Throws CaseError for a zone the database lacks.
  CaseCalendar(std::optional<std::int64_t> unix_millis, const std::string& zone, double seconds_per_time_unit);
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
  // Milliseconds since 1970-01-01T00:00Z of a model time, rounded as the
  // dates written are; nothing without dates.
  std::optional<std::int64_t> unix_millis_of(double model_time) const;

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

// A record held in memory rather than in a file (a series of a scripting
// language): each reading's time as a record file writes it (a date in ISO
// 8601, or a number in the case's time unit), and its value, NaN for a
// missing one. The readings go through the file's rules and checks.
struct RecordReadings {
  std::string name;  // "stage", naming the record in messages
  std::vector<std::string> times;
  std::vector<double> values;
  // The label of the reading at a position (from 0) in messages; empty: "reading N".
  std::function<std::string(std::size_t position)> label;
};

// A case held in memory: the case file's text, whose deck = "..." and the
// files its [stage] and [recharge] name are supplied here instead.
struct CaseSource {
  std::string text;          // TOML, as a case file
  std::string shown_name;    // naming the text in messages
  std::optional<Deck> deck;  // the aquifer, when the text gives deck = "..."
  std::optional<RecordReadings> stage, recharge;
};

// A reading of a record held in memory that cannot be used: the message names
// the record and the reading by its label rather than a line.
class ReadingError : public CaseError {
 public:
  ReadingError(const std::string& record, std::size_t position, const std::string& label, const std::string& message);
  std::size_t position() const noexcept { return position_; }  // from 0
  const std::string& label() const noexcept { return label_; }

 private:
  std::size_t position_;
  std::string label_;
};

// Makes a case held in memory into its deck by the rules read_case follows.
// Throws CaseError naming the text's line, or ReadingError naming a reading;
// a record the text names but the source lacks, or one it holds but the text
// does not name, is a CaseError.
PreparedCase prepare_case(const CaseSource& source);

// The results as the case's CSV: the account as `#` lines, a header with
// every column's unit, the model time, the date (a dated calendar) and the
// results in the shortest form that reads back to the same double.
std::string case_results_csv(const PreparedCase& prepared, const Results& results);

}  // namespace kesta
