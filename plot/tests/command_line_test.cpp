#include "plot/command_line.hpp"

#include <gtest/gtest.h>

namespace kesta::plot {
namespace {

TEST(CommandLine, OptionsWithSeparateOrAttachedValuesAnywhere) {
  const CommandLine line =
      parse_command_line({"--deck", "run.dat", "plot.txt", "--units=m,d", "plot.svg", "--csv=t.csv"});
  EXPECT_EQ(line.deck_file, "run.dat");
  EXPECT_EQ(line.plot_file, "plot.txt");
  EXPECT_EQ(line.svg_file, "plot.svg");
  EXPECT_EQ(line.csv_file, "t.csv");
  EXPECT_EQ(line.units.time, "d");
  EXPECT_EQ(parse_command_line({"--", "--help"}).plot_file, "--help");  // "--" ends the options
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  const std::pair<std::vector<std::string_view>, std::string> cases[] = {
      {{"plot.txt", "--deck"}, "--deck needs a file name"},
      {{"plot.txt", "--csv="}, "--csv needs a file name"},
      {{"--deck", "a", "--deck=b", "plot.txt"}, "--deck is given twice"},
  };
  for (const auto& [arguments, message] : cases) {
    try {
      parse_command_line(arguments);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const UsageError& e) {
      EXPECT_EQ(std::string(e.what()), message + "; try kesta-plot --help");
    }
  }
}

}  // namespace
}  // namespace kesta::plot
