#include "io/output_unit.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/output_target.hpp"

namespace kesta {

namespace {

// An open failure with the system's reason on a second line.
Stop open_failure(int err, int unit, std::string_view name) {
  const IoError error = open_error_for(err, false);
  return severe(error, unit, name, error == IoError::OpenFailure ? std::strerror(err) : "");
}
}  // namespace

IoError open_error_for(int err, bool must_exist) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return must_exist ? IoError::FileNotFound : IoError::OpenFailure;
    case EACCES:
    case EPERM: return IoError::PermissionDenied;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return IoError::FileNameError;
    default: return IoError::OpenFailure;
  }
}

OutputUnit::~OutputUnit() {
  if (!temporary_.empty()) discard();
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

Outcome OutputUnit::open(int number, std::string_view name, PendingFiles* pending) {
  number_ = number;
  name_ = std::string(name);
  pending_ = pending;
  if (name_.find('\0') != std::string::npos) return severe(IoError::FileNameError, number, name_);
  OutputTarget target;
  if (const int err = resolve_output(name_, target)) return open_failure(err, number, name_);
  place_ = target.place;
  if (!target.replaced) return open_directly(target.path, target.exists && S_ISREG(target.info.st_mode));

  if (target.exists) {
    // Replacing a file the user may not write would bypass its permissions.
    if (::access(target.path.c_str(), W_OK) != 0) return open_failure(errno, number, name_);
    dev_ = target.info.st_dev;
    ino_ = target.info.st_ino;
  }
  std::unique_lock<std::mutex> lock;
  if (pending_ != nullptr) lock = pending_->lock();
  int fd = -1;
  if (const int err = create_beside(target, temporary_, fd)) {
    temporary_.clear();
    // A writable file in a folder this user may not add to is written in place,
    // as it always could be.
    if (target.exists && (err == EACCES || err == EPERM || err == EROFS)) {
      lock = {};
      return open_directly(target.path, true);
    }
    return open_failure(err, number, name_);
  }
  if (pending_ != nullptr) pending_->add(temporary_);
  target_ = target.path;
  fd_ = fd;
  owns_fd_ = true;
  return std::nullopt;
}

Outcome OutputUnit::open_directly(std::string_view path, bool regular) {
  cut_on_first_write_ = regular;
  const int fd = ::open(std::string(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return open_failure(errno, number_, name_);
  struct stat info {};
  if (::fstat(fd, &info) == 0) {
    dev_ = info.st_dev;
    ino_ = info.st_ino;
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
}

void OutputUnit::write(Layout items, Values values) {
  append_records(buffer_, items, values, "\r\n");
  if (console_ || buffer_.size() >= kFlushSize) flush();
}

void OutputUnit::write_records(std::string_view records) {
  buffer_ += records;
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
  cut_former_contents();
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

void OutputUnit::start_storing() {
  flush();
  if (fd_ >= 0 && error_ == 0 && !temporary_.empty()) (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

Outcome OutputUnit::status() const {
  if (error_ == 0 || console_) return std::nullopt;
  return severe(IoError::WriteError, number_, name_, std::strerror(error_));
}

void OutputUnit::cut_former_contents() {
  if (cut_on_first_write_ && ::ftruncate(fd_, 0) != 0 && error_ == 0) error_ = errno;
  cut_on_first_write_ = false;
}

Outcome OutputUnit::close() {
  if (fd_ < 0) return std::nullopt;
  flush();
  cut_former_contents();
  if (owns_fd_ && ::close(fd_) != 0 && error_ == 0 && errno != EINTR) error_ = errno;
  fd_ = -1;
  if (temporary_.empty()) return status();
  if (error_ != 0) {
    discard();
    return status();
  }
  std::unique_lock<std::mutex> lock;
  if (pending_ != nullptr) lock = pending_->lock();
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    error_ = errno;
    ::unlink(temporary_.c_str());
  }
  if (pending_ != nullptr) pending_->drop(temporary_);
  temporary_.clear();
  return status();
}

void OutputUnit::discard() {
  if (fd_ >= 0 && owns_fd_) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  if (temporary_.empty()) return;
  std::unique_lock<std::mutex> lock;
  if (pending_ != nullptr) lock = pending_->lock();
  ::unlink(temporary_.c_str());
  if (pending_ != nullptr) pending_->drop(temporary_);
  temporary_.clear();
}

}  // namespace kesta
