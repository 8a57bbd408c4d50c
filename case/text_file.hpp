#pragma once
// The whole text of a case file or a record, read with bounds: a folder, a
// device that never ends, a file far too large or one that is not text is
// refused with its place and a reason before it is used.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kesta {

struct TextBounds {
  std::string_view what;    // "a case file", in messages
  std::size_t largest = 0;  // bytes of the whole file
};

inline constexpr TextBounds kCaseFileBounds{"a case file", std::size_t{1} << 20};
// Thirty years of 15-minute readings with long time texts fit many times over.
inline constexpr TextBounds kRecordBounds{"a record", std::size_t{1} << 30};

// Throws CaseError naming shown_name (and the line of a byte that is not text).
// A UTF-8 byte-order mark at the start is dropped.
std::string read_text_file(const std::filesystem::path& path, const std::string& shown_name, const TextBounds& bounds);

// The same checks on text already in memory; returns it without a byte-order mark.
std::string_view checked_text(std::string_view text, const std::string& shown_name, const TextBounds& bounds);

}  // namespace kesta
