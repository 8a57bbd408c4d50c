#pragma once
// The console dialogue that names and opens the three files of a run.
#include "driver/model_state.hpp"
#include "driver/units.hpp"
#include "report/stop.hpp"

namespace kesta {

// The longest answer taken as a name; no file system accepts one this long.
inline constexpr std::size_t kLongestName = std::size_t{1} << 20;

// Prints the banner, asks for the input deck, the results file and the optional
// plot file, and opens them. IPLOT becomes 1 when a plot file was opened.
Outcome file_dialogue(ModelState& state, Units& units, Console& console, int& IPLOT);

// A typed name without its trailing blanks (only the blank character counts).
std::string_view trimmed_name(std::string_view name);

}  // namespace kesta
