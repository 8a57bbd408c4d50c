#include "driver/command_line.hpp"

namespace kesta {

CommandLine read_command_line(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    line.action = CommandLine::Action::Help;
    return line;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    line.action = CommandLine::Action::Version;
    return line;
  }
  if (arguments.empty()) return line;
  for (const std::string& argument : arguments) {
    if (argument.size() > 1 && argument[0] == '-') {
      line.action = CommandLine::Action::Misuse;
      line.complaint = "unknown option " + argument;
      return line;
    }
  }
  if (arguments.size() < 2 || arguments.size() > 3) {
    line.action = CommandLine::Action::Misuse;
    line.complaint = "expected a deck, a results file and at most one plot file";
    return line;
  }
  if (arguments[0].find_first_not_of(' ') == std::string::npos ||
      arguments[1].find_first_not_of(' ') == std::string::npos) {
    line.action = CommandLine::Action::Misuse;
    line.complaint = "the deck and the results file need names that are not blank";
    return line;
  }
  line.named_files = std::array<std::string, 3>{arguments[0], arguments[1], arguments.size() == 3 ? arguments[2] : ""};
  return line;
}

std::string usage_text() {
  return "Usage: kesta                          ask for the three file names on the console\n"
         "       kesta DECK RESULTS [PLOT]      run the deck, write the report and the plot file\n"
         "       kesta --help | --version\n"
         "Computes the head at an observation well, the seepage between a stream and a\n"
         "confined or leaky aquifer and the bank storage for the stage (and recharge)\n"
         "series of an input deck. Exit status: 0 complete report; 1 deck rejected (the\n"
         "reason ends the report); 2 wrong command line; 9, 24, 29, 30, 38, 39, 43 a file\n"
         "could not be read or written (a diagnostic on standard error says which).\n";
}

}  // namespace kesta
