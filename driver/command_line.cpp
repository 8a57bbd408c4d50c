#include "driver/command_line.hpp"

#include <optional>

namespace kesta {
namespace {

CommandLine misuse(std::string complaint) {
  CommandLine line;
  line.action = CommandLine::Action::Misuse;
  line.complaint = std::move(complaint);
  return line;
}

}  // namespace

CommandLine read_command_line(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  // Options come anywhere before "--"; after it every argument is a file name,
  // so a file whose name starts with a dash can still be named.
  std::vector<std::string> names;
  bool options_end = false;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string& argument = arguments[at];
    if (options_end || argument.size() < 2 || argument[0] != '-') {
      names.push_back(argument);
    } else if (argument == "--") {
      options_end = true;
    } else if (argument == "--help" || argument == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    } else if (argument == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    } else if (argument == "--inversion" || argument.starts_with("--inversion=")) {
      const bool joined = argument != "--inversion";
      if (!joined && at + 1 == arguments.size()) return misuse("--inversion needs a value, stehfest or contour");
      const std::string word = joined ? argument.substr(argument.find('=') + 1) : arguments[++at];
      const auto method = inversion_named(word);
      if (!method) return misuse("unknown inversion " + word + " (allowed: stehfest, contour)");
      line.inversion = *method;
      line.inversion_named = true;
    } else if (argument == "--case" || argument == "--write-deck" || argument == "--report" || argument == "--plot") {
      if (at + 1 == arguments.size()) return misuse(argument + " needs a file name");
      std::string& name = argument == "--case"         ? line.case_file
                          : argument == "--write-deck" ? line.write_deck
                          : argument == "--report"     ? line.report
                                                       : line.plot;
      name = arguments[++at];
    } else {
      return misuse("unknown option " + argument);
    }
  }
  for (const auto& [name, option] : {std::pair{&line.write_deck, "--write-deck"}, std::pair{&line.report, "--report"},
                                     std::pair{&line.plot, "--plot"}})
    if (!name->empty() && line.case_file.empty()) return misuse(std::string(option) + " goes with --case");
  if (!line.case_file.empty()) {
    if (!names.empty()) return misuse("--case takes no deck, results or plot file names");
    return line;
  }
  if (names.size() < 2 || names.size() > 3) return misuse("expected a deck, a results file and at most one plot file");
  if (names[0].find_first_not_of(' ') == std::string::npos || names[1].find_first_not_of(' ') == std::string::npos)
    return misuse("the deck and the results file need names that are not blank");
  line.named_files = std::array<std::string, 3>{names[0], names[1], names.size() == 3 ? names[2] : ""};
  return line;
}

std::string usage_text() {
  return "Usage: kesta                          ask for the three file names on the console\n"
         "       kesta [--inversion stehfest|contour] [--] DECK RESULTS [PLOT]\n"
         "                                     run the deck, write the report and the plot file\n"
         "       kesta --case CASE.toml [--write-deck DECK] [--report FILE] [--plot FILE]\n"
         "             [--inversion stehfest|contour]\n"
         "                                     run a case of dated records, write results.csv\n"
         "       kesta --help | --version\n"
         "Computes the head at an observation well, the seepage between a stream and a\n"
         "confined or leaky aquifer and the bank storage for the stage (and recharge)\n"
         "series of an input deck. After --, every argument is a file name.\n"
         "--inversion stehfest (the default) inverts by the Stehfest sum of the deck's NS\n"
         "terms, up to 99999 time steps; --inversion contour by the contour integral,\n"
         "every printed digit right, up to 10000000 time steps.\n"
         "--case reads a case file (docs/records.md): the aquifer, the stage and recharge\n"
         "records, the step; --write-deck also writes the deck the case became, --report\n"
         "and --plot its report and plot file (those of kesta DECK REPORT PLOT).\n"
         "Exit status:\n"
         "0 complete report; 1 deck rejected (the reason ends the report); 2 wrong command\n"
         "line, or a case, record or time that cannot be used (one line says where);\n"
         "9, 24, 29, 30, 38, 39, 43 a file could not be read or written (a diagnostic on\n"
         "standard error says which); 128 + N ended by signal N.\n";
}

}  // namespace kesta
