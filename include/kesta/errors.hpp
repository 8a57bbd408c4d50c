#pragma once
// A deck that cannot be read: what the program reports as the line error report
// or as an end-of-file or read diagnostic.
#include <stdexcept>
#include <string>

namespace kesta {

class DeckError : public std::runtime_error {
 public:
  DeckError(const std::string& what, int line) : std::runtime_error(what), line_(line) {}
  // The line of the deck file at fault (counted from 1), or 0 when the deck
  // could not be opened at all.
  int line() const noexcept { return line_; }

 private:
  int line_;
};

// A case file, a record or a time that cannot be used: one line naming the
// file, the line and what is wrong.
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
