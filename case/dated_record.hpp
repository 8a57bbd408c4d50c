#pragma once
// A field record as CSV text: one reading per line, a time column and a value
// column chosen by name or position. Times are dates (see clock.hpp) or
// numbers in the case's time unit; values are numbers or marked missing.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "case/clock.hpp"

namespace kesta {

// A column by its header name, or by its position counted from 1.
struct ColumnChoice {
  std::string name;
  int position = 0;
};

struct RecordLayout {
  ColumnChoice time{"", 1};
  ColumnChoice value{"", 2};
  bool header = true;  // the first line names the columns
  char delimiter = ',';
  std::string format;        // of dated times; empty: ISO 8601
  std::string zone = "UTC";  // of dated times written without an offset
  // Values that mean "no reading", beyond "", NA and NaN: texts as written,
  // and numbers however written (-9999 is also -9999.0).
  std::vector<std::string> missing;
  std::vector<double> missing_levels;
};

struct Reading {
  // Dated records: milliseconds since 1970-01-01T00:00Z, a whole number.
  // Numeric records: the time as written, in the case's time unit.
  double time = 0.0;
  double value = 0.0;
  int line = 0;
  int missing_before = 0;  // lines with a missing value between the reading before and this one
};

struct Record {
  std::string shown;  // the file as messages name it
  bool dated = false;
  std::vector<Reading> readings;  // in increasing time, missing values left out
  int missing = 0;                // lines with a missing value
  LocalTimeNotes local_times;
  std::string zone;  // of dated times without an offset
};

// Reads the text of a record. Throws CaseError naming shown_name and the line:
// a line without the columns, a time or value that cannot be read, times that
// do not increase (naming both lines), a record with fewer than two readings.
Record read_record(std::string_view text, const std::string& shown_name, const RecordLayout& layout);

// A number as a record or case file writes it ("12.5", "-3e-4", "+2"), or nothing.
std::optional<double> number_in(std::string_view text);

}  // namespace kesta
