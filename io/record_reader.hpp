#pragma once
// Reading fixed-width records: one line up to its line feed, the carriage return
// before the line feed dropped, blank-filled or cut to the width; the rest of a
// long line is skipped, up to a bound, so that a deck that never ends a line
// (a device such as /dev/zero) still ends the run.
#include <sys/types.h>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "io/stop.hpp"

namespace kesta {

enum class ReadStatus { Ok, EndOfFile, Error, TooLong };

// The most bytes one record may hold before its line feed.
inline constexpr std::size_t kLongestRecord = std::size_t{64} << 20;

// Reads the next record of a stream into `record`, exactly `width` characters.
// With `skip_bom`, a UTF-8 byte-order mark that opens the record is dropped.
ReadStatus read_record(std::FILE* stream, int width, std::string& record, bool skip_bom = false,
                       std::size_t longest = kLongestRecord);

// Reads the next line whole (no width), the line feed and a carriage return
// before it dropped; TooLong when it holds more than `longest` bytes.
ReadStatus read_line(std::FILE* stream, std::string& line, std::size_t longest);

// The input deck: opened with status "old", read strictly forward.
class InputUnit {
 public:
  InputUnit() = default;
  InputUnit(const InputUnit&) = delete;
  InputUnit& operator=(const InputUnit&) = delete;
  ~InputUnit();

  Outcome open(int number, std::string_view name);
  bool is_open() const { return stream_ != nullptr; }
  int number() const { return number_; }
  const std::string& name() const { return name_; }
  dev_t dev() const { return dev_; }
  ino_t ino() const { return ino_; }
  // Records read so far: the line number in the file of the last one read.
  int lines_read() const { return lines_read_; }

  // The next record, or the run-time diagnostic for an end of file or a failed read.
  Outcome read(int width, std::string& record);
  // The next record and how the read went; a byte-order mark that opens the
  // first record is dropped.
  ReadStatus next(int width, std::string& record);
  // Lets the unit read a stream opened elsewhere (deck text in memory), which it
  // then closes.
  void attach(std::FILE* stream, std::string_view name);
  void close();

 private:
  int number_ = 0;
  std::string name_;
  std::FILE* stream_ = nullptr;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  int lines_read_ = 0;
};

}  // namespace kesta
