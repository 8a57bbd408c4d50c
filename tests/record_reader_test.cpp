#include "io/record_reader.hpp"

#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace kesta {
namespace {

struct Stream {
  std::string text;
  std::FILE* f;
  explicit Stream(std::string t) : text(std::move(t)), f(fmemopen(text.data(), text.size(), "rb")) {}
  ~Stream() { std::fclose(f); }
};

TEST(RecordReader, ShortRecordIsBlankFilled) {
  Stream s("0123456789\n");
  std::string r;
  ASSERT_EQ(read_record(s.f, 80, r), ReadStatus::Ok);
  EXPECT_EQ(r, "0123456789" + std::string(70, ' '));
}

TEST(RecordReader, LongRecordIsCutAndItsRestSkipped) {
  Stream s(std::string(100, 'a') + "\nnext\n");
  std::string r;
  ASSERT_EQ(read_record(s.f, 80, r), ReadStatus::Ok);
  EXPECT_EQ(r, std::string(80, 'a'));
  ASSERT_EQ(read_record(s.f, 80, r), ReadStatus::Ok);
  EXPECT_EQ(r.substr(0, 5), "next ");
}

TEST(RecordReader, CarriageReturnBeforeLineFeedIsDropped) {
  Stream crlf("1 2 3\r\nx\ry\r\n");
  Stream lf("1 2 3\nx\ry\n");
  std::string a, b;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(read_record(crlf.f, 10, a), ReadStatus::Ok);
    ASSERT_EQ(read_record(lf.f, 10, b), ReadStatus::Ok);
    EXPECT_EQ(a, b);
  }
  EXPECT_EQ(a, std::string("x\ry") + std::string(7, ' '));  // a lone carriage return stays
}

TEST(RecordReader, EndOfFile) {
  Stream s("last line without line feed");
  std::string r;
  ASSERT_EQ(read_record(s.f, 9, r), ReadStatus::Ok);
  EXPECT_EQ(r, "last line");
  EXPECT_EQ(read_record(s.f, 9, r), ReadStatus::EndOfFile);

  Stream empty_line("\n");
  ASSERT_EQ(read_record(empty_line.f, 3, r), ReadStatus::Ok);
  EXPECT_EQ(r, "   ");
  EXPECT_EQ(read_record(empty_line.f, 3, r), ReadStatus::EndOfFile);
}

TEST(RecordReader, NulBytesAreCharactersOfTheRecord) {
  Stream s(std::string("a\0b\n", 4));
  std::string r;
  ASSERT_EQ(read_record(s.f, 4, r), ReadStatus::Ok);
  EXPECT_EQ(r, std::string("a\0b ", 4));
}

TEST(InputUnit, MissingFileIsFileNotFound) {
  InputUnit unit;
  const Outcome stop = unit.open(15, "/nonexistent-folder/deck.dat");
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->status, 29);
  EXPECT_EQ(stop->diagnostic, "kesta: severe (29): file not found, unit 15, file /nonexistent-folder/deck.dat\n");
}

TEST(InputUnit, EndOfFileNamesTheUnitAndFile) {
  char path[] = "/tmp/kesta-reader-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "one\n", 4), 4);
  close(fd);
  InputUnit unit;
  ASSERT_FALSE(unit.open(15, path));
  std::string r;
  EXPECT_FALSE(unit.read(80, r));
  const Outcome stop = unit.read(80, r);
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->status, 24);
  EXPECT_EQ(stop->diagnostic, std::string("kesta: severe (24): end-of-file during read, unit 15, file ") + path + "\n");
  unlink(path);
}

}  // namespace
}  // namespace kesta
