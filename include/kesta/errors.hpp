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

}  // namespace kesta
