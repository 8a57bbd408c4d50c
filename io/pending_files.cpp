#include "io/pending_files.hpp"

#include <unistd.h>
#include <algorithm>

namespace kesta {

void PendingFiles::drop(const std::string& path) {
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

void PendingFiles::remove_all() {
  // Newest first, so that a working folder goes after the files made in it.
  for (auto path = paths_.rbegin(); path != paths_.rend(); ++path)
    if (::unlink(path->c_str()) != 0) ::rmdir(path->c_str());
  paths_.clear();
}

}  // namespace kesta
