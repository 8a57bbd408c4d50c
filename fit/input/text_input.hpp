#pragma once
// The text inputs of kesta-fit (the fit file and the observation records),
// read with bounds: a device that never ends (/dev/zero), a binary file or a
// file far too large is refused at its first fault, with the place and a
// reason, before it is read whole.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kesta::fit_detail {

struct TextKind {
  std::string_view what;    // "a fit file", in messages
  std::string_view format;  // "TOML text"
  std::size_t largest = 0;  // bytes of the whole file
  std::size_t longest_line = 0;
};

TextKind fit_file_text();
TextKind record_text();

// The whole text of a file, a UTF-8 byte-order mark at its start dropped.
// Throws FitInputError naming shown_name (and the line, for a fault within the
// text): a folder, a file that cannot be opened or read, one larger than
// kind.largest, a line longer than kind.longest_line, a byte that text does
// not hold (a control character other than tab, carriage return and line feed).
std::string read_text_input(const std::filesystem::path& path, const std::string& shown_name, const TextKind& kind);

// The same checks on text already in memory; returns it without a
// byte-order mark.
std::string_view checked_text(std::string_view text, const std::string& shown_name, const TextKind& kind);

}  // namespace kesta::fit_detail
