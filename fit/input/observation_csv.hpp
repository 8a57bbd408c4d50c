#pragma once
// Observation files: a header line, then time,value[,weight] on every line,
// or a time and a value in columns the fit file names; times are numbers (model
// times) or dates, which the case's calendar makes model times.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesta::fit_detail {

struct CsvObservation {
  double time = 0.0;
  double value = 0.0;
  double weight = 1.0;  // 1 when the line has no third value
  int line = 0;         // line of the file, for messages
};

// Where a record's time and value stand, and how its dates read. Dates need
// the calendar of a case; numbers are model times as they always were.
struct RecordLayout {
  // A header name, or a position from 1; with neither given the columns are
  // time,value[,weight]. Naming either leaves every other column unread.
  std::string time_name, value_name;
  int time_position = 1, value_position = 2;
  bool columns_chosen = false;
  std::string format;  // a strftime-like pattern for every time; empty: ISO 8601
  std::string zone;    // times without an offset; empty: the case's zone
  // Readings before start or after end are left out: a model time, or a date
  // as written (then read in ISO 8601 in `zone`).
  std::optional<double> start_time, end_time;
  std::string start_date, end_date;
  int columns_line = 0, format_line = 0, zone_line = 0, start_line = 0, end_line = 0;
  bool dated_keys() const { return !format.empty() || !zone.empty() || !start_date.empty() || !end_date.empty(); }
};

// The model time of a time field that is not a number, as the case's
// calendar reads it; throws FitInputError naming the file and line.
using DateReader = std::function<double(std::string_view field, int line)>;

// Reads one observation file; shown_name is how messages name it. Throws
// FitInputError naming the file, the line and the column of the first fault.
std::vector<CsvObservation> read_observation_csv(const std::filesystem::path& path, const std::string& shown_name);
std::vector<CsvObservation> parse_observation_csv(std::string_view text, const std::string& shown_name);
// The same with the columns and date keys of the fit file's entry; `dates`
// empty: the fit has no calendar, and a date is an error naming its line.
std::vector<CsvObservation> read_observation_csv(const std::filesystem::path& path, const std::string& shown_name,
                                                 const RecordLayout& layout, const DateReader& dates);
std::vector<CsvObservation> parse_observation_csv(std::string_view text, const std::string& shown_name,
                                                  const RecordLayout& layout, const DateReader& dates);

// A finite number written in a CSV field (blanks around it allowed), or nothing.
std::optional<double> csv_number(std::string_view field);

}  // namespace kesta::fit_detail
