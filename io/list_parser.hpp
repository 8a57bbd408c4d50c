#pragma once
// Free-form reading of a list of numbers from one record: values separated by
// blanks, tabs or a comma; null values (",,") leave their target unchanged;
// repeat counts (2*7.5, 3*); a slash ends the list; E or D exponents; integer
// targets take the value cut toward zero.
#include <initializer_list>
#include <string_view>
#include <variant>

namespace kesta {

enum class ListOutcome {
  Complete,   // every target handled (received a value or a null value)
  EndOfData,  // the record ran out while targets were still waiting
  Error,      // text that is not a number where a value stands
};

using ListTarget = std::variant<int*, double*>;

ListOutcome parse_list(std::string_view text, std::initializer_list<ListTarget> targets);

}  // namespace kesta
