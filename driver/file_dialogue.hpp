#pragma once
// The console dialogue that names and opens the three files of a run.
#include <cstddef>
#include <string_view>

#include "driver/file_channels.hpp"
#include "io/stop.hpp"

namespace kesta {

// The longest answer taken as a name; no file system accepts one this long.
inline constexpr std::size_t kLongestName = std::size_t{1} << 20;

// Prints the banner, asks for the input deck, the results file and the optional
// plot file, and opens them; the plot file is open only when one was named.
// Files named on the command line are opened as the answers would be, silently.
Outcome file_dialogue(FileChannels& files, Console& console);

// A typed name without its trailing blanks (only the blank character counts).
std::string_view trimmed_name(std::string_view name);

}  // namespace kesta
