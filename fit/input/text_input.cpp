#include "fit/input/text_input.hpp"

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "fit/input/input_limits.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {

namespace {

// Windows editors open a UTF-8 text with these three bytes.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Read a piece at a time, each checked before the next is read.
constexpr std::size_t kPiece = std::size_t{64} << 10;

std::string size_text(std::size_t bytes) {
  if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0)
    return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes >> 10) + " KiB";
}

std::string hex_byte(unsigned char c) {
  constexpr char kDigits[] = "0123456789abcdef";
  return std::string("0x") + kDigits[c >> 4] + kDigits[c & 0xf];
}

// Follows the text as it arrives: its line, the length of that line, its size.
class TextShape {
 public:
  TextShape(const std::string& shown, const TextKind& kind) : shown_(shown), kind_(kind) {}

  void take(std::string_view bytes) {
    total_ += bytes.size();
    if (total_ > kind_.largest)
      throw FitInputError(shown_, 0,
                          "holds more than " + size_text(kind_.largest) + ", the most " + std::string(kind_.what) +
                              " may hold; " + std::string(kind_.what) + " is " + std::string(kind_.format));
    for (const char byte : bytes) {
      const auto c = static_cast<unsigned char>(byte);
      if (c == '\n') {
        ++line_;
        column_ = 0;
        continue;
      }
      ++column_;
      if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7f)
        throw FitInputError(shown_, line_,
                            "column " + std::to_string(column_) + " holds the byte " + hex_byte(c) +
                                ", which is not text; " + std::string(kind_.what) + " is " + std::string(kind_.format));
      if (column_ > kind_.longest_line)
        throw FitInputError(shown_, line_,
                            "the line is longer than " + size_text(kind_.longest_line) + "; " +
                                std::string(kind_.what) + " is " + std::string(kind_.format) + " of short lines");
    }
  }

 private:
  const std::string& shown_;
  const TextKind& kind_;
  std::size_t total_ = 0;
  int line_ = 1;
  std::size_t column_ = 0;
};

std::string_view without_mark(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  return text;
}

struct CloseFile {
  void operator()(std::FILE* f) const { (void)std::fclose(f); }
};

}  // namespace

TextKind fit_file_text() { return {"a fit file", "TOML text", kLargestFitFile, kLongestLine}; }
TextKind record_text() { return {"an observation record", "CSV text", kLargestRecord, kLongestLine}; }

std::string_view checked_text(std::string_view text, const std::string& shown_name, const TextKind& kind) {
  text = without_mark(text);
  TextShape(shown_name, kind).take(text);
  return text;
}

std::string read_text_input(const std::filesystem::path& path, const std::string& shown_name, const TextKind& kind) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw FitInputError(shown_name, 0, "is a folder, not a file");
  const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw FitInputError(shown_name, 0, std::string("cannot be read: ") + std::strerror(errno));
  // A regular file says its size: one far too large is refused unread.
  struct stat status {};
  if (::fstat(fileno(file.get()), &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<unsigned long long>(status.st_size) > kind.largest)
    throw FitInputError(shown_name, 0,
                        "is " + std::to_string(status.st_size) + " bytes, more than " + size_text(kind.largest) +
                            ", the most " + std::string(kind.what) + " may hold");
  TextShape shape(shown_name, kind);
  std::string text;
  std::string piece(kPiece, '\0');
  bool first = true;
  for (;;) {
    const std::size_t n = std::fread(piece.data(), 1, piece.size(), file.get());
    std::string_view got(piece.data(), n);
    if (first && n > 0) {
      got = without_mark(got);
      first = false;
    }
    shape.take(got);
    text.append(got);
    if (n < piece.size()) break;
  }
  if (std::ferror(file.get())) throw FitInputError(shown_name, 0, std::string("read error: ") + std::strerror(errno));
  return text;
}

}  // namespace kesta::fit_detail
