#pragma once
// Observation files: a header line, then time,value[,weight] on every line.
#include <filesystem>
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

// Reads one observation file; shown_name is how messages name it. Throws
// FitInputError naming the file, the line and the column of the first fault.
std::vector<CsvObservation> read_observation_csv(const std::filesystem::path& path, const std::string& shown_name);
std::vector<CsvObservation> parse_observation_csv(std::string_view text, const std::string& shown_name);

// A finite number written in a CSV field (blanks around it allowed), or nothing.
std::optional<double> csv_number(std::string_view field);

}  // namespace kesta::fit_detail
