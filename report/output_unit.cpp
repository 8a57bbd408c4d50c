#include "report/output_unit.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kesta {

namespace {
constexpr std::size_t kFlushSize = 1 << 16;
}

IoError open_error_for(int err, bool must_exist) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return must_exist ? IoError::FileNotFound : IoError::OpenFailure;
    case EACCES:
    case EPERM:
      return IoError::PermissionDenied;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
      return IoError::FileNameError;
    default:
      return IoError::OpenFailure;
  }
}

OutputUnit::~OutputUnit() {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

Outcome OutputUnit::open(int number, std::string_view name) {
  number_ = number;
  name_ = std::string(name);
  if (name_.find('\0') != std::string::npos) return severe(IoError::FileNameError, number, name_);
  const int fd = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return severe(open_error_for(errno, false), number, name_);
  struct stat info {};
  if (::fstat(fd, &info) == 0) {
    dev_ = info.st_dev;
    ino_ = info.st_ino;
    is_regular_ = S_ISREG(info.st_mode);
  }
  fd_ = fd;
  owns_fd_ = true;
  return std::nullopt;
}

void OutputUnit::attach(int number, int fd, std::string_view name) {
  number_ = number;
  name_ = std::string(name);
  fd_ = fd;
  owns_fd_ = false;
  console_ = true;
  started_ = true;
}

void OutputUnit::write(Layout items, Values values) {
  for (const std::string& record : format_layout(items, values)) {
    buffer_ += record;
    buffer_ += "\r\n";
  }
  if (console_ || buffer_.size() >= kFlushSize) flush();
}

void OutputUnit::write_record(std::string_view record) {
  buffer_ += record;
  buffer_ += "\r\n";
  if (console_ || buffer_.size() >= kFlushSize) flush();
}

void OutputUnit::flush() {
  if (fd_ < 0 || buffer_.empty()) return;
  if (error_ != 0) {
    buffer_.clear();
    return;
  }
  if (!started_) {
    // The first record of the run replaces whatever the file held before.
    if (is_regular_ && ::ftruncate(fd_, 0) != 0) error_ = errno;
    started_ = true;
  }
  std::size_t done = 0;
  while (error_ == 0 && done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
    } else {
      done += static_cast<std::size_t>(n);
    }
  }
  buffer_.clear();
}

Outcome OutputUnit::status() const {
  if (error_ == 0 || console_) return std::nullopt;
  return severe(IoError::WriteError, number_, name_, std::strerror(error_));
}

Outcome OutputUnit::close() {
  if (fd_ < 0) return std::nullopt;
  flush();
  if (owns_fd_ && ::close(fd_) != 0 && error_ == 0 && errno != EINTR) error_ = errno;
  fd_ = -1;
  return status();
}

}  // namespace kesta
