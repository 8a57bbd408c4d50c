#pragma once
// The case file (TOML): a title, the units, the aquifer by name or a deck to
// take it from, the well, the stage and recharge records, and the run.
// docs/records.md describes every key.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "case/dated_record.hpp"
#include "kesta/deck.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// How levels are made relative: to the level at the run's start, the lowest
// level in the run, a given level, or as written.
enum class DatumKind { First, Minimum, Number, Relative };

struct RecordEntry {
  std::string file;  // as the case names it
  std::filesystem::path path;
  RecordLayout layout;
  DatumKind datum = DatumKind::Relative;
  double datum_level = 0.0;  // for DatumKind::Number
  int line = 0;              // of the table's heading
};

// A time of the run's start or end, or of the numeric records' origin: a
// date as text, or a number in the time unit.
using RunTime = std::variant<std::string, double>;

struct CaseFile {
  std::string shown_name;
  std::string title;
  std::string length_unit = "m";
  std::string time_unit = "d";
  double seconds_per_time_unit = 86400.0;

  // The aquifer: from a deck (its stress series unused) or from [aquifer].
  std::string deck;  // empty: [aquifer]
  std::filesystem::path deck_path;
  int deck_line = 0;
  Deck aquifer;  // the values of lines 4 to 7, and NS when [run] gives it (else 0)
  std::optional<double> x, hinit;

  std::optional<RecordEntry> stage, recharge;

  // [run]
  double step_seconds = 0.0;  // > 0
  int step_line = 0;
  std::optional<RunTime> start, end, origin;
  int start_line = 0, end_line = 0, origin_line = 0;
  InversionMethod inversion = InversionMethod::Contour;
  std::optional<double> max_gap_seconds;
  std::string zone = "UTC";
  std::filesystem::path results = "results.csv";
  std::filesystem::path write_deck;    // empty: none
  std::filesystem::path report, plot;  // the legacy report and plot file; empty: none
};

// Throws CaseError naming the file and line. Files the case names are taken
// relative to `folder`.
CaseFile parse_case_file(std::string_view text, const std::string& shown_name, const std::filesystem::path& folder);
CaseFile read_case_file(const std::filesystem::path& path);

// Seconds in a length of time written "15 min", "1 h", "1.5 d", "30 s", or
// nothing for text that is not one.
std::optional<double> duration_seconds(std::string_view text);

// Seconds in one of the time units a case may use ("s", "min", "h", "d"), or nothing.
std::optional<double> unit_seconds(std::string_view unit);

}  // namespace kesta
