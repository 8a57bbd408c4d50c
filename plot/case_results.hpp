#pragma once
// Reading the results that `kesta --case` writes (results.csv): its account
// as lines starting '#', a header naming the columns with their units, then
// one row per time step with the model time, its date when the case has a
// calendar, and the five results.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "plot/plot_file.hpp"
#include "plot/units.hpp"

namespace kesta::plot {

struct CaseResults {
  // The plot file's columns (T is the model time); `rows` stays empty, since
  // the results are a table already and are never passed on as one.
  PlotSeries series;
  Units units;  // from the header
  bool dated = false;
  // Of the drawn rows (those in series.columns): the date as seconds since
  // 1970-01-01T00:00Z, and the texts of the first and last date.
  std::vector<double> seconds;
  std::string first_date, last_date;
  std::chrono::minutes offset{0};  // of the first date: the axis is labelled in it
};

// Whether a file's first bytes are those of a case's results rather than a plot file.
bool looks_like_case_results(std::string_view start);

// Throws PlotFileError "line N: ..." for text that is not a case's results:
// a header other than kesta's, a row without its columns, a field that is not
// a number, a date that is not ISO 8601 with its offset, more rows than kesta writes.
CaseResults parse_case_results(std::string_view text);

// The file at path; one that cannot be read is a PlotFileError too.
CaseResults read_case_results(const std::string& path);

// "2023-05-01T01:07:00+02:00" (seconds and milliseconds optional) as seconds
// since 1970 UTC and its offset; false for any other text or a day not on the calendar.
bool parse_iso_date(std::string_view text, double& seconds, std::chrono::minutes& offset);

}  // namespace kesta::plot
