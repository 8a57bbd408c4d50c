#include "io/replaced_files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "io/output_target.hpp"

namespace kesta {
namespace {

struct Pending {
  const OutputText* output = nullptr;
  OutputTarget target;
  std::string temporary;  // empty for a device or pipe written where it stands
};

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// 0, or the errno of the first write that failed.
int write_all(int fd, std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

ReplaceFailure failure(const Pending& p, int error, bool folder_refused = false) {
  return {p.output->name, folder_of(p.target.path.empty() ? p.output->name : p.target.path), error, folder_refused};
}

// Removes the files written beside the outputs: nothing of this run is left.
void discard(std::vector<Pending>& files, PendingFiles* pending) {
  std::unique_lock<std::mutex> lock;
  if (pending != nullptr) lock = pending->lock();
  for (Pending& p : files) {
    if (p.temporary.empty()) continue;
    ::unlink(p.temporary.c_str());
    if (pending != nullptr) pending->drop(p.temporary);
    p.temporary.clear();
  }
}

// Writes one output beside its target, or where it stands for a device.
std::optional<ReplaceFailure> write_beside(Pending& p, PendingFiles* pending) {
  if (!p.target.replaced) {
    const int fd = ::open(p.target.path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return failure(p, errno);
    int error = write_all(fd, p.output->text);
    if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    if (error != 0) return failure(p, error);
    return std::nullopt;
  }
  int fd = -1;
  {
    std::unique_lock<std::mutex> lock;
    if (pending != nullptr) lock = pending->lock();
    if (const int error = create_beside(p.target, p.temporary, fd)) {
      p.temporary.clear();
      return failure(p, error, error == EACCES || error == EPERM || error == EROFS);
    }
    if (pending != nullptr) pending->add(p.temporary);
  }
  int error = write_all(fd, p.output->text);
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  if (error != 0) return failure(p, error);
  return std::nullopt;
}

// Exclusive locks on the outputs' folders, taken in one order by every run.
class FolderLocks {
 public:
  explicit FolderLocks(const std::vector<Pending>& files) {
    std::vector<std::string> folders;
    for (const Pending& p : files)
      if (!p.temporary.empty()) folders.push_back(folder_of(p.target.place.empty() ? p.target.path : p.target.place));
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::string& folder : folders) {
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) continue;  // without the lock the renames are still each whole
      while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
      }
      fds_.push_back(fd);
    }
  }
  ~FolderLocks() {
    for (int fd : fds_) ::close(fd);  // closing releases the lock
  }
  FolderLocks(const FolderLocks&) = delete;
  FolderLocks& operator=(const FolderLocks&) = delete;

 private:
  std::vector<int> fds_;
};

}  // namespace

std::optional<ReplaceFailure> replace_files(const std::vector<OutputText>& outputs, PendingFiles* pending) {
  std::vector<Pending> files(outputs.size());
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    files[i].output = &outputs[i];
    if (outputs[i].name.find('\0') != std::string::npos) return failure(files[i], EINVAL);
    if (const int error = resolve_output(outputs[i].name, files[i].target)) return failure(files[i], error);
    // Replacing a file the user may not write would bypass its permissions.
    if (files[i].target.exists && files[i].target.replaced && ::access(files[i].target.path.c_str(), W_OK) != 0)
      return failure(files[i], errno);
  }
  // Files first, then devices: a device cannot take its text back, so it is
  // written only when every file beside its output is whole.
  for (bool devices : {false, true}) {
    for (Pending& p : files) {
      if (p.target.replaced == devices) continue;
      if (auto failed = write_beside(p, pending)) {
        discard(files, pending);
        return failed;
      }
    }
  }
  const FolderLocks locks(files);
  std::unique_lock<std::mutex> lock;
  if (pending != nullptr) lock = pending->lock();
  for (Pending& p : files) {
    if (p.temporary.empty()) continue;
    if (::rename(p.temporary.c_str(), p.target.path.c_str()) != 0) {
      const int error = errno;
      lock = {};
      discard(files, pending);
      return failure(p, error);
    }
    if (pending != nullptr) pending->drop(p.temporary);
    p.temporary.clear();
  }
  return std::nullopt;
}

std::optional<FileIdentity> identify_file(const std::string& name) {
  struct stat info {};
  if (name.find('\0') != std::string::npos || ::stat(name.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

bool same_output_file(const std::string& a, const std::string& b) {
  const auto ia = identify_file(a), ib = identify_file(b);
  if (ia && ib) return *ia == *ib;
  OutputTarget ta, tb;
  if (resolve_output(a, ta) != 0 || resolve_output(b, tb) != 0) return false;
  return !ta.place.empty() && ta.place == tb.place;
}

}  // namespace kesta
