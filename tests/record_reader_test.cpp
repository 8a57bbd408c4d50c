#include "io/record_reader.hpp"

#include <cstdio>
#include <memory>
#include <random>
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

// Lines after the first are read a piece of up to 255 bytes at a time; the
// first, which may open with a byte-order mark, a byte at a time. Both must read
// every text alike: carriage returns and NULs anywhere, pieces that end on a
// carriage return, lines longer than a piece, the width and the length bound.
TEST(RecordReader, PiecesAndSingleBytesReadEveryTextAlike) {
  std::mt19937 random(17);
  const char alphabet[] = {'a', ' ', '5', '\r', '\0'};
  for (int n = 0; n < 600; ++n) {
    std::string text;
    const int lines = 1 + static_cast<int>(random() % 4);
    for (int l = 0; l < lines; ++l) {
      // Lengths around a piece (255 bytes), some with a carriage return as
      // its last byte.
      const int length = static_cast<int>(random() % 2 == 0 ? 250 + random() % 10 : random() % 600);
      std::string line;
      for (int k = 0; k < length; ++k) line += alphabet[random() % sizeof alphabet];
      if (length > 254 && random() % 2 == 0) line[254] = '\r';
      if (random() % 4 == 0) line += '\r';
      text += line;
      if (l + 1 < lines || random() % 2 == 0) text += '\n';
    }
    const int width = n % 3 == 0 ? 1 : (n % 3 == 1 ? 80 : 300);
    const std::size_t longest = n % 4 == 0 ? 254 + n % 3 : kLongestRecord;
    Stream pieces(text), bytes(text);
    for (int read = 0; read < 20; ++read) {
      std::string a, b;
      const ReadStatus by_pieces = read_record(pieces.f, width, a, false, longest);
      const ReadStatus by_bytes = read_record(bytes.f, width, b, true, longest);
      ASSERT_EQ(by_pieces, by_bytes) << "text " << n << ", read " << read;
      if (by_pieces != ReadStatus::Ok) break;  // a line too long holds no record
      ASSERT_EQ(a, b) << "text " << n << ", read " << read;
    }
  }
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
