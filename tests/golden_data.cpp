#include "golden_data.hpp"

#include <cctype>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<double> numbers_of(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> values;
  for (std::string word; in >> word;) values.push_back(std::stod(word));
  return values;
}

}  // namespace

const std::vector<std::string>& example_names() {
  static const std::vector<std::string> names = {
      "unit-step-confined",    "flood-wave-confined",  "flood-wave-streambank",
      "finite-width-confined", "leaky-constant-head",  "leaky-impervious-layer",
      "water-table-stage",     "water-table-recharge", "water-table-stage-and-recharge",
      "daily-stage-record",
  };
  return names;
}

std::string test_id(const std::string& name) {
  std::string id = name;
  for (char& c : id)
    if (c == '-') c = '_';
  return id;
}

std::string example_deck_path(const std::string& name) { return source_path("examples/" + name + ".dat"); }
std::string golden_report_path(const std::string& name) { return source_path("tests/golden/" + name + ".report.txt"); }
std::string golden_plot_path(const std::string& name) { return source_path("tests/golden/" + name + ".plot.txt"); }
std::string golden_warnings_path(const std::string& name) {
  return source_path("tests/golden/" + name + ".warnings.txt");
}

ExampleDeck read_example_deck(const std::string& name) {
  const std::vector<std::string> line = lines_of(read_file(example_deck_path(name)));
  if (line.size() < 10) throw std::runtime_error("short deck " + name);
  auto values = [&](std::size_t n) { return numbers_of(line[n - 1]); };
  ExampleDeck d;
  auto l3 = values(3), l4 = values(4), l5 = values(5), l6 = values(6), l7 = values(7), l8 = values(8);
  d.ISTRESS = static_cast<int>(l3.at(0));
  d.DELT = l3.at(1);
  d.IXL = static_cast<int>(l4.at(0));
  d.IAQ = static_cast<int>(l4.at(1));
  d.IXA = static_cast<int>(l4.at(2));
  d.XZERO = l5.at(0), d.XLL = l5.at(1), d.XAA = l5.at(2), d.XSTREAM = l5.at(3);
  d.AK = l6.at(0), d.AS = l6.at(1), d.AB = l6.at(2);
  d.AKT = l7.at(0), d.AST = l7.at(1), d.ABT = l7.at(2), d.ASYT = l7.at(3);
  d.X = l8.at(0), d.HINIT = l8.at(1), d.TINIT = l8.at(2);
  d.NS = static_cast<int>(values(9).at(0));
  d.NT = static_cast<int>(values(10).at(0));
  for (int i = 0; i < d.NT; ++i) {
    const auto row = values(11 + static_cast<std::size_t>(i));
    d.STAGE.push_back(row.at(1));
    d.RECH.push_back(row.at(2));
  }
  return d;
}

Printed read_printed(const std::string& field) {
  // Forms: 0.12345E+01, -.1234E-02, and without the letter past two exponent digits: 0.100-119.
  const std::size_t point = field.find('.');
  std::size_t end = point + 1;
  while (end < field.size() && std::isdigit(static_cast<unsigned char>(field[end]))) ++end;
  const int digits = static_cast<int>(end - point - 1);
  std::size_t exponent_start = end;
  if (exponent_start < field.size() && (field[exponent_start] == 'E' || field[exponent_start] == 'D')) ++exponent_start;
  const int exponent = std::stoi(field.substr(exponent_start));
  const double fraction = std::stod(field.substr(0, end));
  return {fraction * std::pow(10.0, exponent), 0.5 * std::pow(10.0, exponent - digits)};
}

std::vector<PlotRow> read_golden_plot(const std::string& name) {
  return read_plot_rows(read_file(golden_plot_path(name)));
}

std::vector<PlotRow> read_plot_rows(const std::string& text) {
  const std::vector<std::string> line = lines_of(text);
  std::vector<PlotRow> rows;
  for (std::size_t n = 1; n < line.size(); ++n) {
    std::istringstream in(line[n]);
    std::string f[6];
    for (std::string& field : f) in >> field;
    rows.push_back({read_printed(f[0]), read_printed(f[1]), read_printed(f[2]), read_printed(f[3]), read_printed(f[4]),
                    read_printed(f[5])});
  }
  return rows;
}

}  // namespace kesta::testing
