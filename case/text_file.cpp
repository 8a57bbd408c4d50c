#include "case/text_file.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "case/case_error.hpp"

namespace kesta {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string hex_byte(unsigned char c) {
  constexpr char kDigits[] = "0123456789abcdef";
  return std::string("0x") + kDigits[c >> 4] + kDigits[c & 0xf];
}

}  // namespace

std::string_view checked_text(std::string_view text, const std::string& shown_name, const TextBounds& bounds) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  if (text.size() > bounds.largest)
    throw CaseError(shown_name, 0,
                    "holds more than " + std::to_string(bounds.largest >> 20) + " MiB, the most " +
                        std::string(bounds.what) + " may hold");
  int line = 1;
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == '\n') ++line;
    // Tabs and the carriage returns of Windows line ends are text; other control bytes are not.
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f)
      throw CaseError(shown_name, line, "holds the byte " + hex_byte(c) + ", which is not text");
  }
  return text;
}

std::string read_text_file(const std::filesystem::path& path, const std::string& shown_name, const TextBounds& bounds) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw CaseError(shown_name, 0, "is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CaseError(shown_name, 0, std::string("cannot be read: ") + std::strerror(errno));
  std::string text;
  // Read a bounded piece at a time, so that a device that never ends is refused.
  constexpr std::size_t kPiece = std::size_t{1} << 16;
  std::string piece(kPiece, '\0');
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    if (text.size() > bounds.largest + kByteOrderMark.size())
      throw CaseError(shown_name, 0,
                      "holds more than " + std::to_string(bounds.largest >> 20) + " MiB, the most " +
                          std::string(bounds.what) + " may hold");
  }
  if (in.bad()) throw CaseError(shown_name, 0, "read error");
  const std::string_view checked = checked_text(text, shown_name, bounds);
  return std::string(checked);
}

}  // namespace kesta
