#pragma once
// The arguments of kesta-plot.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "plot/units.hpp"

namespace kesta::plot {

inline constexpr std::string_view kUsage =
    "Usage: kesta-plot [OPTIONS] PLOTFILE [OUTPUT.svg]\n"
    "Draws the plot file written by kesta as one SVG picture: the head at the\n"
    "observation well, the seepage and the bank storage over time. Total seepage\n"
    "and bank-storage volume are read on right axes that show the same curves\n"
    "times 2*XSTREAM. The picture goes to OUTPUT.svg, or to standard output when\n"
    "no output file is named and no --csv is given.\n"
    "PLOTFILE may also be the results.csv that kesta --case writes: it is drawn\n"
    "on a date axis when it has a date column, with the units of its header.\n"
    "\n"
    "Options:\n"
    "  --deck DECK          the input deck of the run: adds a top panel with the\n"
    "                       stream stage (and the recharge when ISTRESS >= 1) as the\n"
    "                       steps the model sees, and takes the title from TITLE1\n"
    "                       and TITLE2\n"
    "  --units LENGTH,TIME  the deck's units, e.g. m,d: every axis is labelled in\n"
    "                       them (m, m2/d, m3/d, m2, m3, d); without it, L and T\n"
    "  --csv OUT.csv        also write the plot file as CSV, with a header naming\n"
    "                       each column and its unit\n"
    "  -h, --help           show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Example:\n"
    "  kesta-plot --deck deck.dat --units m,d plot.txt plot.svg\n";

struct CommandLine {
  enum class Action { Draw, Help, Version };
  Action action = Action::Draw;
  std::string plot_file;
  std::optional<std::string> svg_file;  // none: standard output, unless only a CSV is asked for
  std::optional<std::string> deck_file;
  std::optional<std::string> csv_file;
  Units units;
  bool svg_to_standard_output() const { return !svg_file && !csv_file; }
};

// Arguments that kesta-plot cannot use; the message ends with a pointer to --help.
class UsageError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The arguments after the program name. Options may come before, between or
// after the file names, as "--deck DECK" or "--deck=DECK"; "--" ends them.
// -h, --help or --version anywhere wins over everything else.
CommandLine parse_command_line(const std::vector<std::string_view>& arguments);

}  // namespace kesta::plot
