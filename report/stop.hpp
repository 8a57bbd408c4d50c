#pragma once
// How a run ends before its normal end. A phase never leaves the process itself:
// it hands a Stop back to the driver, which closes the units and exits.
#include <optional>
#include <string>
#include <string_view>

namespace kesta {

// Error numbers of the run-time diagnostic; each is also the exit status.
enum class IoError {
  PermissionDenied = 9,
  EndOfFile = 24,
  FileNotFound = 29,
  OpenFailure = 30,
  WriteError = 38,
  ReadError = 39,
  FileNameError = 43,
};

struct Stop {
  int status = 0;          // process exit status
  std::string diagnostic;  // text for the console's error stream; empty for a plain stop
};

// A phase result: nothing means "go on", a Stop ends the run.
using Outcome = std::optional<Stop>;

// The plain stop after a report message or line error report: nothing on the
// console, exit status 0.
Stop plain_stop();

// The run-time diagnostic "kesta: severe (N): message, unit U, file F", with an
// optional second line that says why.
Stop severe(IoError error, int unit, std::string_view file, std::string_view why = {});

// Unit and file text of a free-form parse that ran out of values.
inline constexpr int kInternalReadUnit = -5;
inline constexpr std::string_view kInternalReadFile = "Internal List-Directed Read";

// Unit and file text of the console's input in a diagnostic.
inline constexpr int kConsoleInputUnit = -4;
inline constexpr std::string_view kConsoleInputFile = "stdin";

}  // namespace kesta
