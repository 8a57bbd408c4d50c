// kesta-plot's reader of a case's results (results.csv) on arbitrary bytes.
//
// Every run must end in one of the defined ways:
//  - the file was read: every column holds one value per drawn row, every
//    value finite; a dated file has one date per drawn row, each a finite
//    number of seconds, and its first and last date texts read back as dates;
//  - a PlotFileError: one line of printable text naming a line of the file.
// Any other exception, a crash or a hang is a fault.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plot/case_results.hpp"

namespace {

using kesta::plot::CaseResults;
using kesta::plot::PlotFileError;

void check_read(const CaseResults& r) {
  const std::size_t rows = r.series.size();
  for (const auto& column : r.series.columns) {
    if (column.size() != rows) std::abort();
    for (const double v : column)
      if (!std::isfinite(v)) std::abort();
  }
  if (!r.dated) return;
  if (r.seconds.size() != rows) std::abort();
  for (const double s : r.seconds)
    if (!std::isfinite(s)) std::abort();
  double seconds = 0.0;
  std::chrono::minutes offset{0};
  if (rows > 0 && (!kesta::plot::parse_iso_date(r.first_date, seconds, offset) ||
                   !kesta::plot::parse_iso_date(r.last_date, seconds, offset)))
    std::abort();
}

void check_message(const std::string& message) {
  if (message.rfind("line ", 0) != 0) std::abort();
  for (const char c : message)
    if (c == '\n' || static_cast<unsigned char>(c) < 0x20) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    check_read(kesta::plot::parse_case_results(text));
  } catch (const PlotFileError& e) {
    check_message(e.what());
  }
  double seconds = 0.0;
  std::chrono::minutes offset{0};
  if (kesta::plot::parse_iso_date(text.substr(0, 40), seconds, offset) && !std::isfinite(seconds)) std::abort();
  return 0;
}
