#pragma once
// Reading the input deck: ten fixed lines, then NT time-stress lines.
#include <optional>
#include <string_view>

#include "input/deck_problem.hpp"
#include "io/record_reader.hpp"
#include "kesta/deck.hpp"

namespace kesta {

inline constexpr int kDeckWidth = 80;

// The values of line NLINE (1..11) as the line error report names them, padded
// to 40 characters.
std::string_view line_label(int NLINE);

// Fills the deck from the unit, strictly forward. Values not given keep what
// the deck held. Stops at the first problem and says what it is; an NT above
// most_steps is one, found before any time-stress line is read.
std::optional<DeckProblem> read_deck_lines(InputUnit& unit, Deck& deck, int most_steps);

}  // namespace kesta
