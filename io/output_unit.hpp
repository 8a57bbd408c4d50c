#pragma once
// An output unit: the results report, the plot file or the console. Records end
// with carriage return and line feed. A regular file is replaced whole: the run
// writes beside it, and only a complete output is renamed over it, so the file
// holds either its former contents or exactly this run's records, never a part.
// Other outputs (devices, pipes) are written directly. A failed write is kept and
// reported as a Stop, never dropped.
#include <sys/types.h>
#include <string>
#include <string_view>

#include "io/layout.hpp"
#include "io/pending_files.hpp"
#include "io/stop.hpp"

namespace kesta {

class OutputUnit {
 public:
  OutputUnit() = default;
  OutputUnit(const OutputUnit&) = delete;
  OutputUnit& operator=(const OutputUnit&) = delete;
  ~OutputUnit();

  // Opens a file with status "unknown": created when missing, otherwise replaced
  // when the unit is closed. The file written beside it is listed in `pending`
  // while it exists, when a list is given.
  Outcome open(int number, std::string_view name, PendingFiles* pending = nullptr);
  // Attaches an already open descriptor such as the console; records are passed
  // on after every statement and the descriptor is never closed.
  void attach(int number, int fd, std::string_view name);

  bool is_open() const { return fd_ >= 0; }
  int number() const { return number_; }
  const std::string& name() const { return name_; }
  // Device and inode of the file the name stands for when it exists (or of the
  // device written directly), for telling whether two names are one file.
  dev_t dev() const { return dev_; }
  ino_t ino() const { return ino_; }
  // The resolved folder and name of the output, for the same purpose.
  const std::string& place() const { return place_; }

  // One output statement.
  void write(Layout items, Values values = {});
  void write_record(std::string_view record);
  // Records already built, each with its carriage return and line feed.
  void write_records(std::string_view records);
  // Records built in place: `build` appends them, each with its carriage return
  // and line feed, to the string it is given. A long table then reaches the
  // file without a copy of its own.
  template <typename Build>
  void write_built(Build&& build) {
    if (buffer_.capacity() < kFlushSize + kRecordRoom) buffer_.reserve(kFlushSize + kRecordRoom);
    build(buffer_);
    if (console_ || buffer_.size() >= kFlushSize) flush();
  }

  // Writes out what is buffered and starts the system storing the file, for a
  // run with a core idle before the close: replacing the former file then
  // waits on less. Failures show at the close.
  void start_storing();

  // The Stop for a write that failed, if any.
  Outcome status() const;
  // Writes out what is buffered, releases the file and puts this run's output in
  // place of the former file.
  Outcome close();
  // Releases the file and leaves the former one as it was.
  void discard();

 private:
  // Output goes to the file in pieces of about this size; a piece is small
  // enough to stay in the cache and its pages are touched once for the run.
  static constexpr std::size_t kFlushSize = std::size_t{1} << 15;
  // Room beyond a full piece for the record that fills it.
  static constexpr std::size_t kRecordRoom = 1024;

  void flush();
  void cut_former_contents();
  // Writes where the file stands; a regular file loses its former contents when
  // the first record reaches it.
  Outcome open_directly(std::string_view path, bool regular);

  int number_ = 0;
  std::string name_;
  int fd_ = -1;
  bool owns_fd_ = false;
  bool console_ = false;
  int error_ = 0;                    // errno of the first failed write
  bool cut_on_first_write_ = false;  // a file written in place still holds its former contents
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  std::string place_;
  std::string target_;     // the file replaced at close; empty when written directly
  std::string temporary_;  // the file written beside it
  PendingFiles* pending_ = nullptr;
  std::string buffer_;
};

// The open failure number for an errno of open(2).
IoError open_error_for(int err, bool must_exist);

}  // namespace kesta
