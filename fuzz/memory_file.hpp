#pragma once
// An anonymous in-memory file that a harness can hand to the program by name
// (/proc/self/fd/N), so decks and reports never touch the disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "io/output_unit.hpp"
#include "report/input_summary.hpp"

namespace kesta::fuzzing {

class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("kesta-fuzz", 0)) {
    if (fd_ < 0) std::abort();
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  int fd() const { return fd_; }
  std::string name() const { return "/proc/self/fd/" + std::to_string(fd_); }
  void write_all(const std::uint8_t* data, std::size_t size) const {
    for (std::size_t done = 0; done < size;) {
      const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<std::size_t>(n);
    }
  }
  std::string contents() const {
    std::string text;
    char buf[1 << 14];
    for (off_t at = 0;;) {
      const ssize_t n = ::pread(fd_, buf, sizeof buf, at);
      if (n < 0) std::abort();
      if (n == 0) return text;
      text.append(buf, static_cast<std::size_t>(n));
      at += n;
    }
  }

 private:
  int fd_;
};

// The banner box that heads every report, as the program writes it.
inline std::string banner_box() {
  MemoryFile file;
  OutputUnit unit;
  if (unit.open(16, file.name())) std::abort();
  write_banner_box(unit);
  if (unit.close()) std::abort();
  return file.contents();
}

}  // namespace kesta::fuzzing
