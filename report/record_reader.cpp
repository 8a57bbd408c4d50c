#include "report/record_reader.hpp"

#include <cerrno>
#include <sys/stat.h>

#include "report/output_unit.hpp"

namespace kesta {

ReadStatus read_record(std::FILE* stream, int width, std::string& record) {
  const auto w = static_cast<std::size_t>(width);
  record.clear();
  bool any = false;
  bool pending_cr = false;  // a carriage return not yet known to end the line
  for (;;) {
    const int c = std::getc(stream);
    if (c == EOF) {
      if (std::ferror(stream)) return ReadStatus::Error;
      if (!any) return ReadStatus::EndOfFile;
      break;  // a last line without line feed; a carriage return there ends it too
    }
    any = true;
    if (c == '\n') break;
    if (pending_cr && record.size() < w) record += '\r';
    pending_cr = c == '\r';
    if (!pending_cr && record.size() < w) record += static_cast<char>(c);
  }
  record.resize(w, ' ');
  return ReadStatus::Ok;
}

InputUnit::~InputUnit() { close(); }

Outcome InputUnit::open(int number, std::string_view name) {
  number_ = number;
  name_ = std::string(name);
  if (name_.find('\0') != std::string::npos) return severe(IoError::FileNameError, number, name_);
  errno = 0;
  std::FILE* stream = std::fopen(name_.c_str(), "rb");
  if (stream == nullptr) return severe(open_error_for(errno, true), number, name_);
  struct stat info {};
  if (::fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(stream);
    return severe(IoError::OpenFailure, number, name_, "the input deck is a folder, not a file");
  }
  dev_ = info.st_dev;
  ino_ = info.st_ino;
  stream_ = stream;
  return std::nullopt;
}

Outcome InputUnit::read(int width, std::string& record) {
  switch (read_record(stream_, width, record)) {
    case ReadStatus::Ok: return std::nullopt;
    case ReadStatus::EndOfFile: return severe(IoError::EndOfFile, number_, name_);
    case ReadStatus::Error: return severe(IoError::ReadError, number_, name_);
  }
  return std::nullopt;
}

void InputUnit::close() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
}

}  // namespace kesta
