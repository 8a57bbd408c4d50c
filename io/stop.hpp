#pragma once
// How a run ends before its normal end. A phase never leaves the process itself:
// it hands a Stop back to the driver, which closes the units and exits.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  std::string message;     // the report message of a rejected deck, its records joined by line feeds
  std::string remedy;      // for a rejected deck: what would let it run, told on the console; often empty
};

// Exit status of a run whose deck was rejected by a check or the line error report.
inline constexpr int kRejectedStatus = 1;

// A phase result: nothing means "go on", a Stop ends the run.
using Outcome = std::optional<Stop>;

// The plain stop at the normal end: nothing on the console, exit status 0.
Stop plain_stop();

// The stop after a check's message or the line error report in the report: the
// deck was rejected, exit status 1. The message is kept for callers that are not
// reading the report.
Stop rejected_stop(std::string message);

// The words of a report message on one line: the records' blanks at either end
// dropped, empty records left out, the rest joined by one blank.
std::string message_words(const std::vector<std::string>& records);

// The run-time diagnostic "kesta: severe (N): message, unit U, file F", with an
// optional second line that says why. A file name is shown up to a NUL it holds.
Stop severe(IoError error, int unit, std::string_view file, std::string_view why = {});

// Unit and file text of a free-form parse that ran out of values.
inline constexpr int kInternalReadUnit = -5;
inline constexpr std::string_view kInternalReadFile = "Internal List-Directed Read";

// Unit and file text of the console's input in a diagnostic.
inline constexpr int kConsoleInputUnit = -4;
inline constexpr std::string_view kConsoleInputFile = "stdin";

}  // namespace kesta
