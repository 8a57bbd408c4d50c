#pragma once
// A case file, a record or a time that cannot be used: one line naming the
// file, the line and what is wrong. Nothing is written after one.
#include <stdexcept>
#include <string>

namespace kesta {

class CaseError : public std::runtime_error {
 public:
  // line 0 means the file as a whole (a file that cannot be read, a missing key).
  CaseError(const std::string& file, int line, const std::string& message)
      : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message),
        file_(file),
        line_(line) {}

  const std::string& file() const noexcept { return file_; }
  int line() const noexcept { return line_; }

 private:
  std::string file_;
  int line_;
};

}  // namespace kesta
