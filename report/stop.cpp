#include "report/stop.hpp"

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

Stop plain_stop() { return Stop{0, {}}; }

Stop severe(IoError error, int unit, std::string_view file, std::string_view why) {
  const int number = static_cast<int>(error);
  std::string line = "kesta: severe (" + std::to_string(number) + "): ";
  line += message_text(error);
  line += ", unit " + std::to_string(unit) + ", file ";
  line += file;
  line += '\n';
  if (!why.empty()) {
    line += "kesta: ";
    line += why;
    line += '\n';
  }
  return Stop{number, line};
}

}  // namespace kesta
