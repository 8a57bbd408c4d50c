// The kesta-plot program as a user runs it: arguments, exit status, messages.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "plot/plot_file.hpp"
#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs kesta-plot with the arguments (already quoted for the shell).
Outcome run_kesta_plot(const std::string& arguments) {
  const testing::TempFile out("stdout", "");
  const testing::TempFile err("stderr", "");
  const std::string command =
      std::string(KESTA_PLOT_EXE) + " " + arguments + " >'" + out.path() + "' 2>'" + err.path() + "' </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testing::file_text(out.path()), testing::file_text(err.path())};
}

std::size_t line_count(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(KestaPlotProgram, HelpTellsTheUsage) {
  const Outcome o = run_kesta_plot("--help");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("Usage: kesta-plot PLOTFILE [OUTPUT.svg]\n", 0), 0u);
  EXPECT_EQ(o.err, "");
}

TEST(KestaPlotProgram, BadInputEndsWithOneLineOnStandardError) {
  const testing::TempFile empty("empty.txt", "");
  const testing::TempFile malformed("malformed.txt", std::string(kPlotHeader) + "\r\n  0.1E+01  x\r\n");
  const testing::TempFile wrong_header("report.txt", "1 RESULTS\r\n");
  const std::string missing = "/nonexistent/kesta/plot.txt";
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"'" + missing + "'", "kesta-plot: " + missing + ": cannot open: No such file or directory\n"},
      {"'" + empty.path() + "'", "kesta-plot: " + empty.path() + ": the plot file is empty\n"},
      {"'" + malformed.path() + "'",
       "kesta-plot: " + malformed.path() + ": line 2: expected 6 numbers (T H SEEP SEEPT BANK BANKV), found 2\n"},
      {"'" + wrong_header.path() + "'", "kesta-plot: " + wrong_header.path() + ": line 1: not a kesta plot file"},
      {"", "kesta-plot: expected a plot file and at most one output file; try kesta-plot --help\n"},
      {"a b c", "kesta-plot: expected a plot file and at most one output file; try kesta-plot --help\n"},
  };
  for (const auto& c : cases) {
    const Outcome o = run_kesta_plot(c.arguments);
    EXPECT_NE(o.status, 0) << c.arguments;
    EXPECT_EQ(o.err.rfind(c.message, 0), 0u) << o.err;
    EXPECT_EQ(line_count(o.err), 1u) << o.err;
    EXPECT_EQ(o.out, "") << c.arguments;
  }
}

TEST(KestaPlotProgram, FailedReadLeavesNoOutputFile) {
  const testing::TempFile empty("empty.txt", "");
  const std::string svg = empty.path() + ".svg";
  EXPECT_NE(run_kesta_plot("'" + empty.path() + "' '" + svg + "'").status, 0);
  EXPECT_FALSE(std::filesystem::exists(svg));
}

TEST(KestaPlotProgram, WritesTheSamePictureToAFileOrStandardOutput) {
  const testing::TempFile plot("plot.txt", testing::plot_file_text(testing::ramp_rows(10)));
  const testing::TempFile svg("plot.svg", "");
  const Outcome to_file = run_kesta_plot("'" + plot.path() + "' '" + svg.path() + "'");
  EXPECT_EQ(to_file.status, 0);
  EXPECT_EQ(to_file.out, "");
  const Outcome to_stdout = run_kesta_plot("'" + plot.path() + "'");
  EXPECT_EQ(to_stdout.status, 0);
  EXPECT_EQ(to_stdout.out.rfind("<?xml", 0), 0u);
  EXPECT_NE(to_stdout.out.find("</svg>"), std::string::npos);
  EXPECT_EQ(testing::file_text(svg.path()), to_stdout.out);
}

}  // namespace
}  // namespace kesta::plot
