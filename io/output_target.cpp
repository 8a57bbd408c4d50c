#include "io/output_target.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

namespace kesta {
namespace {

constexpr int kMostLinks = 40;  // as the system allows in one path
constexpr std::string_view kUnfinished = ".kesta-unfinished.";
constexpr std::size_t kLongestFileName = NAME_MAX;

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six letters and digits that no other run is likely to choose.
std::string random_tag() {
  constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6] = {};
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy source: the process number and the clock still differ between runs.
    unsigned long seed = static_cast<unsigned long>(getpid()) * 2654435761UL ^ static_cast<unsigned long>(clock());
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(seed >>= 5);
  }
  std::string tag;
  for (unsigned char b : bytes) tag += kLetters[b % kLetters.size()];
  return tag;
}

}  // namespace

int resolve_output(const std::string& name, OutputTarget& target) {
  struct stat named {};
  if (::stat(name.c_str(), &named) == 0) {
    target.exists = true;
    target.info = named;
  } else if (errno != ENOENT) {
    return errno;
  }
  // Follow the links one by one, so that a link to a file not yet made leads to
  // where that file is to be made.
  std::string path = name;
  bool open_descriptor = false;  // /dev/stdout and its kin: a file another program has open
  for (int links = 0;; ++links) {
    open_descriptor = open_descriptor || path.rfind("/proc/", 0) == 0;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    if (links == kMostLinks) return ELOOP;
    std::string to(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
    if (n <= 0) return n < 0 ? errno : ENOENT;
    to.resize(static_cast<std::size_t>(n));
    path = to.front() == '/' ? to : folder_of(path) + "/" + to;
  }
  target.path = path;
  target.replaced = !target.exists || (S_ISREG(target.info.st_mode) && !open_descriptor);
  // A device, a pipe or an open descriptor's entry is opened by the name given,
  // as the system resolves it.
  if (!target.replaced) target.path = name;
  if (target.exists && target.replaced) {
    // A name the links do not lead back to is written where it stands.
    struct stat resolved {};
    if (::stat(path.c_str(), &resolved) != 0 || resolved.st_dev != named.st_dev || resolved.st_ino != named.st_ino) {
      target.path = name;
      target.replaced = false;
    }
  }

  char* folder = ::realpath(folder_of(target.path).c_str(), nullptr);
  if (folder == nullptr) return target.exists ? 0 : errno;
  target.place = std::string(folder) + "/" + base_of(target.path);
  std::free(folder);
  return 0;
}

int create_beside(const OutputTarget& target, std::string& temporary, int& fd) {
  const std::string folder = folder_of(target.path);
  std::string base = base_of(target.path);
  // A name near the longest the folder allows keeps only the marker and the tag.
  if (base.size() + kUnfinished.size() + 6 > kLongestFileName) base.clear();
  const mode_t mode = target.exists ? (target.info.st_mode & 07777) : 0666;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder + "/" + (base.empty() ? std::string(kUnfinished.substr(1)) : base + std::string(kUnfinished)) +
                random_tag();
    // O_EXCL never follows or reuses a name planted in a shared folder.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) break;
    if (errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  if (target.exists) {
    // The output keeps the permissions and, where allowed, the owner of the file it replaces.
    (void)::fchmod(fd, mode);
    if (target.info.st_uid != ::geteuid() || target.info.st_gid != ::getegid())
      (void)::fchown(fd, target.info.st_uid, target.info.st_gid);
  }
  return 0;
}

}  // namespace kesta
