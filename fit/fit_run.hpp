#pragma once
// One run of kesta-fit: read, fit, write the files, report.
#include <filesystem>
#include <optional>
#include <ostream>

#include "io/pending_files.hpp"
#include "plot/units.hpp"

namespace kesta::fit_detail {

struct RunOptions {
  std::filesystem::path fit_file;
  bool json = false;
  bool quiet = false;                   // no progress lines
  std::filesystem::path output_folder;  // where the four files go; empty: beside the fit file
  std::optional<int> ensemble;          // --ensemble N: in place of the fit file's
  std::filesystem::path predict;        // --predict: a deck or case to predict on
  PendingFiles* pending = nullptr;      // lists the unfinished files an interruption removes
  std::optional<plot::Units> units;     // --units: label the picture in place of the fit file's
};

// Exit statuses.
inline constexpr int kConverged = 0;     // and every check the estimates rest on passed
inline constexpr int kNotConverged = 1;  // or such a check failed: everything reported and written all the same
inline constexpr int kFitFailed = 1;     // the fit cannot be computed past its start: one line, nothing written
inline constexpr int kBadInput = 2;      // one line on the error stream, nothing written
inline constexpr int kWriteFailed = 3;   // the report stands, but the files or the report itself were not written

int run_fit(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kesta::fit_detail
