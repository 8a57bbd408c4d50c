// The names an output may have and the file each one makes: lengths up to the
// longest the folder takes, the umask's permissions, links relative and
// dangling. The same for the report and the plot file.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "deck_builder.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

struct NameCase {
  std::string what;
  std::string arrange;  // shell commands run first in the folder
  std::string name;     // the output as named
  std::string umask;
  int status;
  std::string made;  // the file that holds the output ("" none)
  mode_t mode;       // its permissions
};

TEST(OutputNames, EachNameMakesItsFileWithItsPermissions) {
  const std::string longest(255, 'r'), too_long(256, 'r');
  const NameCase cases[] = {
      {"a one-letter name", "", "r", "022", 0, "r", 0644},
      {"the longest name the folder takes", "", longest, "022", 0, longest, 0644},
      {"the longest less the marker of an unfinished file", "", longest.substr(0, 231), "022", 0,
       longest.substr(0, 231), 0644},
      {"one byte longer", "", longest.substr(0, 232), "022", 0, longest.substr(0, 232), 0644},
      {"a name one byte too long", "", too_long, "022", 43, "", 0},
      {"a umask that keeps the group's writing", "", "r.txt", "002", 0, "r.txt", 0664},
      {"a umask that shuts others out", "", "r.txt", "077", 0, "r.txt", 0600},
      {"an existing file keeps its own permissions", "echo former > r.txt; chmod 0640 r.txt", "r.txt", "000", 0,
       "r.txt", 0640},
      {"a relative link into a folder", "mkdir sub; echo former > sub/r.txt; ln -s sub/r.txt link", "link", "022", 0,
       "sub/r.txt", 0644},
      {"a dangling link makes the file it names", "mkdir sub; ln -s sub/new.txt link", "link", "022", 0, "sub/new.txt",
       0644},
      {"a folder that does not exist", "", "none/r.txt", "022", 30, "", 0},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool plot : {false, true}) {
      SCOPED_TRACE(plot ? "as the plot file" : "as the report");
      TempFolder dir;
      write_file(dir / "deck.dat", Deck{}.text());
      const std::string names = plot ? "deck.dat other.txt '" + c.name + "'" : "deck.dat '" + c.name + "'";
      const std::string command = "cd '" + dir.path() + "' && { true\n" + c.arrange + "\n} && umask " + c.umask +
                                  " && '" KESTA_BINARY "' " + names + " > /dev/null 2> err.txt";
      const int raw = std::system(command.c_str());
      EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status) << read_file(dir / "err.txt");
      if (c.made.empty()) continue;
      const std::string text = read_file(dir / c.made);
      EXPECT_NE(text.find(plot ? "SEEPT       BANK" : "RESULTS"), std::string::npos);
      struct stat info {};
      ASSERT_EQ(::stat((dir / c.made).c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, c.mode);
      if (c.name == "link") {
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
      }
    }
  }
}

}  // namespace
}  // namespace kesta::testing
