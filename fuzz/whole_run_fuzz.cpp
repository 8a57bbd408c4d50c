// A whole run, in-process, on arbitrary deck text: the dialogue answered with the
// names of anonymous in-memory files for the deck, the report and the plot file,
// then the input phase, the model and the results table, on one thread.
//
// Every run must end in one of the defined ways: complete, with one report row
// and one plot row per time step that agree digit for digit; stopped by a
// message or the line error report, with an empty plot file; or ended by the
// end-of-file diagnostic with the banner box alone in the report. The deck is
// never changed.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/memory_file.hpp"
#include "driver/driver.hpp"
#include "report/input_summary.hpp"

namespace {

using kesta::fuzzing::MemoryFile;
using kesta::fuzzing::banner_box;

std::vector<std::string> records(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto end = text.find("\r\n");
    if (end == std::string_view::npos) std::abort();  // every record is complete
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

bool ends_with(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

constexpr std::string_view kUnderline =
    "      ----         ----      ----------  ----------    -------      ------";
constexpr std::size_t kRowWidth = 75;

// The rows of report and plot file are one table in two editings: the plot row
// is the report row with the exponent letter E for D.
void check_complete(const std::string& report, const std::string& plot) {
  const std::vector<std::string> report_lines = records(report);
  std::size_t first_row = report_lines.size();
  for (std::size_t i = 0; i < report_lines.size(); ++i)
    if (report_lines[i] == kUnderline) first_row = i + 1;
  if (first_row > report_lines.size()) std::abort();  // no column headings
  const std::vector<std::string> plot_lines = records(plot);
  if (plot_lines.empty() || plot_lines.size() - 1 != report_lines.size() - first_row) std::abort();
  for (std::size_t r = first_row; r < report_lines.size(); ++r) {
    std::string row = report_lines[r];
    if (row.size() != kRowWidth) std::abort();
    for (char& c : row)
      if (c == 'D') c = 'E';
    if (row != plot_lines[r - first_row + 1]) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemoryFile deck, report, plot, console_out;
  deck.write_all(data, size);
  std::string answers = deck.name() + "\n" + report.name() + "\n" + plot.name() + "\n";
  std::FILE* in = ::fmemopen(answers.data(), answers.size(), "r");
  char* err_text = nullptr;
  std::size_t err_size = 0;
  std::FILE* err = ::open_memstream(&err_text, &err_size);
  if (in == nullptr || err == nullptr) std::abort();

  int status = 0;
  {
    kesta::Console console;
    console.in = in;
    console.err = err;
    console.out.attach(6, console_out.fd(), "stdout");
    status = kesta::run_kesta(console);
  }
  std::fclose(in);
  std::fclose(err);
  const std::string diagnostic(err_text, err_size);
  std::free(err_text);

  const std::string report_text = report.contents();
  const std::string plot_text = plot.contents();
  const bool calculated = ends_with(console_out.contents(), "\r\n   Calculating aquifer responses ...\r\n\r\n");
  if (status == 0) {
    // A complete run may only warn that the inversion's error reaches printed digits.
    for (std::size_t at = 0; at < diagnostic.size(); at = diagnostic.find('\n', at) + 1)
      if (diagnostic.compare(at, 16, "kesta: warning: ") != 0 || diagnostic.find('\n', at) == std::string::npos)
        std::abort();
    if (!calculated) std::abort();
    check_complete(report_text, plot_text);
  } else if (status == 1) {
    // A rejected deck: one line on standard error, no row in the plot file, and
    // the reason at the end of the report.
    if (diagnostic.rfind("kesta: the input deck ", 0) != 0 || std::count(diagnostic.begin(), diagnostic.end(), '\n') != 1)
      std::abort();
    {
      if (!plot_text.empty()) std::abort();
      const std::vector<std::string> lines = records(report_text);
      if (lines.empty()) std::abort();
      if (lines.back() != " Check for incorrect positions or data types..." &&
          lines.back().find("PROGRAM STOPPED") == std::string::npos)
        std::abort();
    }
  } else if (status == 24) {
    if (calculated || !plot_text.empty() || report_text != banner_box()) std::abort();
    if (diagnostic.rfind("kesta: severe (24): end-of-file during read, unit 15, file " + deck.name() + "\n", 0) != 0 &&
        diagnostic.rfind("kesta: severe (24): end-of-file during read, unit -5, file Internal List-Directed Read\n",
                         0) != 0)
      std::abort();
    if (std::count(diagnostic.begin(), diagnostic.end(), '\n') != 2) std::abort();
  } else {
    std::abort();  // no other way is open to a run on files that exist and take every write
  }
  if (deck.contents() != std::string_view(reinterpret_cast<const char*>(data), size)) std::abort();
  return 0;
}
