#include "io/output_unit.hpp"

#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace kesta {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TempPath {
  std::string path;
  TempPath() {
    char name[] = "/tmp/kesta-unit-XXXXXX";
    const int fd = mkstemp(name);
    close(fd);
    path = name;
  }
  ~TempPath() { unlink(path.c_str()); }
};

TEST(OutputUnit, RecordsEndWithCarriageReturnLineFeed) {
  TempPath t;
  OutputUnit unit;
  ASSERT_FALSE(unit.open(16, t.path));
  unit.write({Slash, X(3), Lit("text "), Slash});
  unit.write_record("row");
  ASSERT_FALSE(unit.close());
  EXPECT_EQ(slurp(t.path), "\r\n   text \r\n\r\nrow\r\n");
}

// The former file stays whole until close, however much is written before it;
// then it holds exactly this run's records. A discarded output leaves it alone.
TEST(OutputUnit, FormerContentsStayUntilCloseAndThenGoWhole) {
  TempPath t;
  const std::string former(10000, 'x');
  std::ofstream(t.path) << former;
  ::chmod(t.path.c_str(), 0640);
  {
    OutputUnit unit;
    ASSERT_FALSE(unit.open(16, t.path));
    for (int k = 0; k < 50000; ++k) unit.write_record("a row that goes beyond the buffer");
    EXPECT_EQ(slurp(t.path), former);
    unit.discard();
  }
  EXPECT_EQ(slurp(t.path), former);
  OutputUnit unit;
  ASSERT_FALSE(unit.open(16, t.path));
  for (int k = 0; k < 5; ++k) unit.write_record("line");
  EXPECT_EQ(slurp(t.path), former);
  ASSERT_FALSE(unit.close());
  EXPECT_EQ(slurp(t.path), "line\r\nline\r\nline\r\nline\r\nline\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(t.path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);  // the permissions of the file it replaced
}

TEST(OutputUnit, FailedWriteIsReportedNotLost) {
  OutputUnit unit;
  ASSERT_FALSE(unit.open(16, "/dev/full"));
  unit.write_record("lost on a full disk");
  const Outcome stop = unit.close();
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->status, 38);
  EXPECT_EQ(stop->diagnostic.rfind("kesta: severe (38): error during write, unit 16, file /dev/full\n", 0), 0u);
}

TEST(OutputUnit, OpenFailuresMapToTheirNumbers) {
  OutputUnit missing_folder;
  const Outcome a = missing_folder.open(16, "/nonexistent-folder/results.txt");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->diagnostic,
            "kesta: severe (30): open failure, unit 16, file /nonexistent-folder/results.txt\n"
            "kesta: No such file or directory\n");

  OutputUnit folder;
  const Outcome b = folder.open(17, "/tmp");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->status, 30);

  OutputUnit nul;
  const Outcome c = nul.open(16, std::string_view("a\0b", 3));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->status, 43);
}

}  // namespace
}  // namespace kesta
