#include "plot/tests/run_kesta_plot.hpp"

#include <sys/wait.h>

#include <cstdlib>

#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot::testing {

Outcome run_kesta_plot(const std::string& arguments, const std::string& folder) {
  const TempFile out("stdout", "");
  const TempFile err("stderr", "");
  const std::string command = (folder.empty() ? "" : "cd '" + folder + "' && ") + "timeout -s KILL 60 " +
                              KESTA_PLOT_EXE + " " + arguments + " >'" + out.path() + "' 2>'" + err.path() +
                              "' </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, file_text(out.path()), file_text(err.path())};
}

}  // namespace kesta::plot::testing
