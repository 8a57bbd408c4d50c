#include "io/record_reader.hpp"

#include <sys/stat.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "io/output_unit.hpp"

namespace kesta {
namespace {

// Windows editors open a UTF-8 text with these three bytes.
constexpr std::array<unsigned char, 3> kByteOrderMark = {0xEF, 0xBB, 0xBF};

// Takes the bytes of one line into `keep` (at most `room` of them), the carriage
// return before the line feed dropped; counts every byte of the line.
class LineScanner {
 public:
  LineScanner(std::string& keep, std::size_t room) : keep_(keep), room_(room) {}

  void take(char c) {
    if (pending_cr_) put('\r');
    pending_cr_ = c == '\r';
    if (!pending_cr_) put(c);
  }
  std::size_t bytes() const { return bytes_; }

 private:
  void put(char c) {
    ++bytes_;
    if (keep_.size() < room_) keep_ += c;
  }

  std::string& keep_;
  std::size_t room_;
  std::size_t bytes_ = 0;
  bool pending_cr_ = false;  // a carriage return not yet known to end the line
};

// A line read a piece at a time: fgets copies up to the line feed out of the
// stream's buffer in one go, where taking one byte at a time costs several
// times more on a long deck. Bytes after the piece keep the fill, so the
// piece ends at the last NUL (the one fgets wrote): NUL bytes of the line
// itself stay characters of it.
ReadStatus scan_pieces(std::FILE* stream, std::string& keep, std::size_t room, std::size_t longest) {
  keep.clear();
  constexpr char kFill = '\n';
  std::array<char, 256> piece{};
  std::size_t bytes = 0;    // bytes of the line so far, a pending carriage return not counted
  bool pending_cr = false;  // a carriage return that ended the last piece
  bool any = false;
  const auto put = [&](const char* text, std::size_t n) {
    bytes += n;
    if (keep.size() < room) keep.append(text, std::min(n, room - keep.size()));
  };
  for (;;) {
    piece.fill(kFill);
    if (std::fgets(piece.data(), static_cast<int>(piece.size()), stream) == nullptr) {
      if (std::ferror(stream)) return ReadStatus::Error;
      if (!any) return ReadStatus::EndOfFile;
      return ReadStatus::Ok;  // a last line without line feed; a carriage return there ends it too
    }
    any = true;
    const auto* end = static_cast<const char*>(memrchr(piece.data(), '\0', piece.size()));
    std::size_t n = static_cast<std::size_t>(end - piece.data());
    const bool line_ends = n > 0 && piece[n - 1] == '\n';
    if (line_ends) --n;
    if (pending_cr && !(line_ends && n == 0)) put("\r", 1);
    pending_cr = false;
    if (n > 0 && piece[n - 1] == '\r') {  // before the line feed it is dropped; at the end of a piece, open
      --n;
      pending_cr = !line_ends;
    }
    put(piece.data(), n);
    if (bytes > longest) return ReadStatus::TooLong;
    if (line_ends) return ReadStatus::Ok;
  }
}

ReadStatus scan_line(std::FILE* stream, std::string& keep, std::size_t room, bool skip_bom, std::size_t longest) {
  if (!skip_bom) return scan_pieces(stream, keep, room, longest);
  keep.clear();
  LineScanner line(keep, room);
  bool any = false;
  std::size_t bom_matched = 0;  // leading bytes that so far match the byte-order mark
  for (;;) {
    const int c = getc_unlocked(stream);
    if (c == EOF) {
      if (std::ferror(stream)) return ReadStatus::Error;
      if (!any) return ReadStatus::EndOfFile;
      break;  // a last line without line feed; a carriage return there ends it too
    }
    any = true;
    if (skip_bom && bom_matched < kByteOrderMark.size() &&
        static_cast<unsigned char>(c) == kByteOrderMark[bom_matched]) {
      ++bom_matched;
      continue;
    }
    if (skip_bom && bom_matched > 0 && bom_matched < kByteOrderMark.size()) {
      // Only the start of a mark: those bytes are text of the line.
      for (std::size_t k = 0; k < bom_matched; ++k) line.take(static_cast<char>(kByteOrderMark[k]));
    }
    skip_bom = false;
    if (c == '\n') break;
    line.take(static_cast<char>(c));
    if (line.bytes() > longest) return ReadStatus::TooLong;
  }
  if (skip_bom && bom_matched > 0 && bom_matched < kByteOrderMark.size())
    for (std::size_t k = 0; k < bom_matched; ++k) line.take(static_cast<char>(kByteOrderMark[k]));
  return ReadStatus::Ok;
}

}  // namespace

ReadStatus read_record(std::FILE* stream, int width, std::string& record, bool skip_bom, std::size_t longest) {
  const auto w = static_cast<std::size_t>(width);
  const ReadStatus status = scan_line(stream, record, w, skip_bom, longest);
  if (status == ReadStatus::Ok) record.resize(w, ' ');
  return status;
}

ReadStatus read_line(std::FILE* stream, std::string& line, std::size_t longest) {
  return scan_line(stream, line, longest, false, longest);
}

InputUnit::~InputUnit() { close(); }

Outcome InputUnit::open(int number, std::string_view name) {
  number_ = number;
  name_ = std::string(name);
  if (name_.find('\0') != std::string::npos) return severe(IoError::FileNameError, number, name_);
  errno = 0;
  std::FILE* stream = std::fopen(name_.c_str(), "rb");
  if (stream == nullptr) {
    const int err = errno;
    const IoError error = open_error_for(err, true);
    return severe(error, number, name_, error == IoError::OpenFailure ? std::strerror(err) : "");
  }
  struct stat info {};
  if (::fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode)) {
    (void)std::fclose(stream);  // only opened for reading: nothing to lose
    return severe(IoError::OpenFailure, number, name_, "the input deck is a folder, not a file");
  }
  dev_ = info.st_dev;
  ino_ = info.st_ino;
  stream_ = stream;
  return std::nullopt;
}

ReadStatus InputUnit::next(int width, std::string& record) {
  const ReadStatus status = read_record(stream_, width, record, lines_read_ == 0);
  if (status != ReadStatus::EndOfFile) ++lines_read_;
  return status;
}

void InputUnit::attach(std::FILE* stream, std::string_view name) {
  close();
  name_ = std::string(name);
  stream_ = stream;
}

Outcome InputUnit::read(int width, std::string& record) {
  const ReadStatus status = next(width, record);
  switch (status) {
    case ReadStatus::Ok: return std::nullopt;
    case ReadStatus::EndOfFile: return severe(IoError::EndOfFile, number_, name_);
    case ReadStatus::Error: return severe(IoError::ReadError, number_, name_, std::strerror(errno));
    case ReadStatus::TooLong:
      return severe(IoError::ReadError, number_, name_,
                    "line " + std::to_string(lines_read_) + " of " + name_ + " is longer than " +
                        std::to_string(kLongestRecord) +
                        " bytes without a line end; the input deck must be a text file");
  }
  return std::nullopt;
}

void InputUnit::close() {
  if (stream_ != nullptr) (void)std::fclose(stream_);  // only read: nothing to lose
  stream_ = nullptr;
}

}  // namespace kesta
