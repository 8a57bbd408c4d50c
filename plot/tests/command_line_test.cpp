#include "plot/command_line.hpp"

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<std::string_view> arguments) { return parse_command_line(arguments); }

std::string usage_error(std::vector<std::string_view> arguments) {
  try {
    parse_command_line(arguments);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(CommandLine, FilesAlone) {
  const CommandLine one = parse({"plot.txt"});
  EXPECT_EQ(one.action, Action::Draw);
  EXPECT_EQ(one.plot_file, "plot.txt");
  EXPECT_FALSE(one.svg_file);
  EXPECT_TRUE(one.svg_to_standard_output());
  const CommandLine two = parse({"plot.txt", "plot.svg"});
  EXPECT_EQ(two.svg_file, "plot.svg");
  EXPECT_EQ(two.units.length, "L");
}

TEST(CommandLine, OptionsWithSeparateOrAttachedValuesAnywhere) {
  const CommandLine line = parse({"--deck", "run.dat", "plot.txt", "--units=m,d", "plot.svg", "--csv=plot.csv"});
  EXPECT_EQ(line.deck_file, "run.dat");
  EXPECT_EQ(line.plot_file, "plot.txt");
  EXPECT_EQ(line.svg_file, "plot.svg");
  EXPECT_EQ(line.csv_file, "plot.csv");
  EXPECT_EQ(line.units.time, "d");
  // With a table asked for and no picture named, only the table is written.
  EXPECT_FALSE(parse({"--csv", "t.csv", "plot.txt"}).svg_to_standard_output());
  // After "--" a name may start with a dash; a dash alone is a name.
  EXPECT_EQ(parse({"--", "-plot.txt"}).plot_file, "-plot.txt");
  EXPECT_EQ(parse({"-"}).plot_file, "-");
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStand) {
  for (auto arguments : std::vector<std::vector<std::string_view>>{{"-h"}, {"--help"}, {"plot.txt", "-h"},
                                                                   {"--bogus", "--help"}})
    EXPECT_EQ(parse(arguments).action, Action::Help);
  EXPECT_EQ(parse({"--version"}).action, Action::Version);
  EXPECT_EQ(parse({"--", "--help"}).plot_file, "--help");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  const std::string help = "; try kesta-plot --help";
  EXPECT_EQ(usage_error({}), "expected a plot file and at most one output file" + help);
  EXPECT_EQ(usage_error({"a", "b", "c"}), "expected a plot file and at most one output file" + help);
  EXPECT_EQ(usage_error({"-x", "plot.txt"}), "unknown option '-x'" + help);
  EXPECT_EQ(usage_error({"plot.txt", "--deck"}), "--deck needs a file name" + help);
  EXPECT_EQ(usage_error({"plot.txt", "--csv="}), "--csv needs a file name" + help);
  EXPECT_EQ(usage_error({"plot.txt", "--units"}), "--units needs LENGTH,TIME such as m,d" + help);
  EXPECT_EQ(usage_error({"--deck", "a", "--deck=b", "plot.txt"}), "--deck is given twice" + help);
  EXPECT_EQ(usage_error({"--units", "metres", "plot.txt"}),
            "--units: expected LENGTH,TIME such as m,d; got 'metres'" + help);
}

}  // namespace
}  // namespace kesta::plot
