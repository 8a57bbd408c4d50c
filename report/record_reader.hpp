#pragma once
// Reading fixed-width records: one line up to its line feed, the carriage return
// before the line feed dropped, blank-filled or cut to the width; the rest of a
// long line is skipped.
#include <cstdio>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "report/stop.hpp"

namespace kesta {

enum class ReadStatus { Ok, EndOfFile, Error };

// Reads the next record of a stream into `record`, exactly `width` characters.
ReadStatus read_record(std::FILE* stream, int width, std::string& record);

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

  // The next record, or the run-time diagnostic for an end of file or a failed read.
  Outcome read(int width, std::string& record);
  void close();

 private:
  int number_ = 0;
  std::string name_;
  std::FILE* stream_ = nullptr;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
};

}  // namespace kesta
