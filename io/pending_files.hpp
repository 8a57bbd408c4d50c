#pragma once
// Files written beside their targets and not yet renamed over them. A run that
// is interrupted removes them, so an interrupted run leaves no trace but the
// files as they were before it started.
#include <mutex>
#include <string>
#include <vector>

namespace kesta {

class PendingFiles {
 public:
  // Holding the lock, a file is either created and listed, renamed and unlisted,
  // or removed and unlisted: an interruption never sees half of one of these.
  std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }

  // Callers hold the lock.
  void add(const std::string& path) { paths_.push_back(path); }
  void drop(const std::string& path);
  // Removes every listed file from the disk, newest first, and a listed
  // folder once the files made in it are gone; the lock is held.
  void remove_all();

 private:
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

}  // namespace kesta
