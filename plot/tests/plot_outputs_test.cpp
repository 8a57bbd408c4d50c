// Where kesta-plot's picture and table go: whole or not at all, never through
// a name planted beside them, and never into a folder that refuses them.
#include <sys/wait.h>

#include <unistd.h>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

struct OutputCase {
  std::string what;
  std::string arrange;    // shell commands run first in an empty folder holding plot.txt
  std::string arguments;  // after kesta-plot plot.txt
  int status;
  std::string err;
  std::string kept;  // a file the run must leave as the arrangement made it
};

TEST(KestaPlotOutputs, WholeOrNotAtAllAndNeverThroughAPlantedName) {
  const OutputCase cases[] = {
      {"a link planted where a fixed temporary name would be",
       "printf 'deck\\n' > deck.dat; ln -s deck.dat p.svg.part; printf 'mine\\n' > p.csv.part", "p.svg --csv p.csv", 0,
       "", "p.csv.part"},
      {"a folder that takes no new file", "printf 'former\\n' > p.csv", "/sys/p.svg --csv p.csv", 1,
       "kesta-plot: /sys/p.svg: cannot be written: the folder /sys takes no new file (Permission denied)\n", "p.csv"},
      {"a table on a device that is full", "printf 'former\\n' > p.svg", "p.svg --csv /dev/full", 1,
       "kesta-plot: /dev/full: cannot write: No space left on device\n", "p.svg"},
  };
  for (const OutputCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kesta-plot-out-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    { std::ofstream(dir / "plot.txt", std::ios::binary) << testing::plot_file_text(testing::ramp_rows(6)); }
    const std::string command = "cd '" + dir.string() + "' && { " + c.arrange + "; } && cp " + c.kept + " .kept && '" +
                                KESTA_PLOT_EXE + "' plot.txt " + c.arguments + " > .out 2> .err";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status);
    EXPECT_EQ(testing::file_text((dir / ".err").string()), c.err);
    EXPECT_EQ(testing::file_text((dir / c.kept).string()), testing::file_text((dir / ".kept").string()));
    if (c.status == 0) {
      EXPECT_EQ(std::filesystem::read_symlink(dir / "p.svg.part"), "deck.dat");
      EXPECT_EQ(testing::file_text((dir / "deck.dat").string()), "deck\n");
      EXPECT_EQ(testing::file_text((dir / "p.svg").string()).rfind("<?xml", 0), 0u);
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      EXPECT_EQ(entry.path().filename().string().find(".kesta-unfinished."), std::string::npos);
    std::filesystem::remove_all(dir);
  }
}

}  // namespace
}  // namespace kesta::plot
