#pragma once
// An output unit: the results report, the plot file or the console. Records end
// with carriage return and line feed. An existing file keeps its old contents
// until this run's first record reaches it; from then on it holds exactly this
// run's records. A failed write is kept and reported as a Stop, never dropped.
#include <string>
#include <string_view>
#include <sys/types.h>

#include "report/layout.hpp"
#include "report/stop.hpp"

namespace kesta {

class OutputUnit {
 public:
  OutputUnit() = default;
  OutputUnit(const OutputUnit&) = delete;
  OutputUnit& operator=(const OutputUnit&) = delete;
  ~OutputUnit();

  // Opens a file with status "unknown": created when missing, otherwise replaced
  // from its first record written.
  Outcome open(int number, std::string_view name);
  // Attaches an already open descriptor such as the console; records are passed
  // on after every statement and the descriptor is never closed.
  void attach(int number, int fd, std::string_view name);

  bool is_open() const { return fd_ >= 0; }
  int number() const { return number_; }
  const std::string& name() const { return name_; }
  // Device and inode of the open file, for telling whether two names are one file.
  dev_t dev() const { return dev_; }
  ino_t ino() const { return ino_; }

  // One output statement.
  void write(Layout items, Values values = {});
  void write_record(std::string_view record);

  // The Stop for a write that failed, if any.
  Outcome status() const;
  // Writes out what is buffered and releases the file.
  Outcome close();

 private:
  void flush();

  int number_ = 0;
  std::string name_;
  int fd_ = -1;
  bool owns_fd_ = false;
  bool is_regular_ = false;
  bool started_ = false;  // the old contents have been cut off
  bool console_ = false;
  int error_ = 0;         // errno of the first failed write
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  std::string buffer_;
};

// The open failure number for an errno of open(2).
IoError open_error_for(int err, bool must_exist);

}  // namespace kesta
