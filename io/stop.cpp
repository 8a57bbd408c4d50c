#include "io/stop.hpp"

#include <utility>

namespace kesta {
namespace {

std::string_view message_text(IoError error) {
  switch (error) {
    case IoError::PermissionDenied: return "permission to access file denied";
    case IoError::EndOfFile: return "end-of-file during read";
    case IoError::FileNotFound: return "file not found";
    case IoError::OpenFailure: return "open failure";
    case IoError::WriteError: return "error during write";
    case IoError::ReadError: return "error during read";
    case IoError::FileNameError: return "file name specification error";
  }
  return "input/output error";
}

}  // namespace

Stop plain_stop() { return Stop{0, {}, {}, {}}; }

Stop rejected_stop(std::string message) { return Stop{kRejectedStatus, {}, std::move(message), {}}; }

std::string message_words(const std::vector<std::string>& records) {
  std::string words;
  for (const std::string& record : records) {
    const auto first = record.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    const auto last = record.find_last_not_of(' ');
    if (!words.empty()) words += ' ';
    words.append(record, first, last - first + 1);
  }
  return words;
}

Stop severe(IoError error, int unit, std::string_view file, std::string_view why) {
  const int number = static_cast<int>(error);
  std::string line = "kesta: severe (" + std::to_string(number) + "): ";
  line += message_text(error);
  line += ", unit " + std::to_string(unit) + ", file ";
  line += file.substr(0, file.find('\0'));
  line += '\n';
  if (!why.empty()) {
    line += "kesta: ";
    line += why;
    line += '\n';
  }
  return Stop{number, line, {}, {}};
}

}  // namespace kesta
