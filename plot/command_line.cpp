#include "plot/command_line.hpp"

namespace kesta::plot {

namespace {

[[noreturn]] void usage_error(const std::string& what) { throw UsageError(what + "; try kesta-plot --help"); }

}  // namespace

CommandLine parse_command_line(const std::vector<std::string_view>& arguments) {
  CommandLine line;
  for (std::string_view a : arguments) {
    if (a == "--") break;
    if (a == "-h" || a == "--help" || a == "--version") {
      line.action = a == "--version" ? CommandLine::Action::Version : CommandLine::Action::Help;
      return line;
    }
  }

  std::vector<std::string> names;
  std::optional<std::string> units;
  bool options_ended = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view a = arguments[i];
    if (options_ended || a.size() < 2 || a[0] != '-') {
      names.emplace_back(a);
      continue;
    }
    if (a == "--") {
      options_ended = true;
      continue;
    }
    const std::size_t equals = a.find('=');
    const std::string_view option = a.substr(0, equals);
    std::optional<std::string>* target = option == "--deck"    ? &line.deck_file
                                         : option == "--csv"   ? &line.csv_file
                                         : option == "--units" ? &units
                                                               : nullptr;
    if (!target) usage_error("unknown option '" + printable_utf8(a) + "'");
    if (*target) usage_error(std::string(option) + " is given twice");
    if (equals != std::string_view::npos) {
      *target = std::string(a.substr(equals + 1));
    } else if (i + 1 < arguments.size()) {
      *target = std::string(arguments[++i]);
    }
    if (!*target || (*target)->empty())
      usage_error(std::string(option) +
                  (option == "--units" ? " needs LENGTH,TIME such as m,d" : " needs a file name"));
  }
  if (names.empty() || names.size() > 2) usage_error("expected a plot file and at most one output file");
  line.plot_file = names[0];
  if (names.size() == 2) line.svg_file = names[1];
  if (units) {
    try {
      line.units = parse_units(*units);
    } catch (const UnitsError& e) {
      usage_error(std::string("--units: ") + e.what());
    }
  }
  return line;
}

}  // namespace kesta::plot
