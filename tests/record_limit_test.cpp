// The bound on one line's length: a line of exactly that many bytes is read.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "io/record_reader.hpp"

namespace kesta {
namespace {

TEST(RecordLimit, ALineOfTheLongestLengthIsReadOneMoreIsTooLong) {
  const std::pair<std::string, ReadStatus> cases[] = {
      {"12345\n", ReadStatus::Ok},
      {"12345\r\n", ReadStatus::Ok},  // the carriage return before the line feed is not part of the line
      {"123456\n", ReadStatus::TooLong},
  };
  for (auto [text, status] : cases) {
    std::FILE* stream = fmemopen(text.data(), text.size(), "rb");
    std::string record;
    EXPECT_EQ(read_record(stream, 80, record, false, 5), status) << text;
    std::fclose(stream);
  }
}

}  // namespace
}  // namespace kesta
