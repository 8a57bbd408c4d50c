#include "io/pending_files.hpp"

#include <unistd.h>
#include <algorithm>

namespace kesta {

void PendingFiles::drop(const std::string& path) {
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

void PendingFiles::remove_all() {
  for (const std::string& path : paths_) ::unlink(path.c_str());
  paths_.clear();
}

}  // namespace kesta
