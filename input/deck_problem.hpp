#pragma once
// Why a deck could not be read, and where: the program turns it into the line
// error report or a run-time diagnostic, the library into a DeckError.
#include <string>

namespace kesta {

struct DeckProblem {
  enum class Kind {
    Unreadable,    // a value that is not a number where one stands: the line error report
    TooFewValues,  // the line ran out of values: end of file on the internal list read
    Missing,       // the deck ended before a line it needs
    ReadFailed,    // the system could not read the deck, or a line never ended
    TooManySteps,  // NT above the most a deck may give
  };
  Kind kind = Kind::Unreadable;
  int line = 0;         // the line of the deck file, counted from 1
  int NLINE = 0;        // the line as the line error report numbers it (11 for every time-stress line)
  std::string LINE;     // the record as read, 80 characters
  std::string message;  // one sentence that names the deck, the line, its values and the reason
};

}  // namespace kesta
