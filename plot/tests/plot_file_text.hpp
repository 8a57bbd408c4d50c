#pragma once
// Plot files for the tests, printed the way kesta prints them.
#include <array>
#include <string>
#include <vector>

namespace kesta::plot::testing {

using Row = std::array<double, 6>;  // T, H, SEEP, SEEPT, BANK, BANKV

// The header and one CR LF record per row, fields edited as kesta edits them.
std::string plot_file_text(const std::vector<Row>& rows);

// Rows rising steadily with the row number: every series strictly monotonic,
// the totals twice the per-length values (2·XSTREAM = 2).
std::vector<Row> ramp_rows(int count);

// A file in the system's temporary folder, removed when the test ends.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& content);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Reads a whole file; empty when it cannot be read.
std::string file_text(const std::string& path);

}  // namespace kesta::plot::testing
