#pragma once
// The example decks and their golden files, read back for the checks: the deck
// by a plain reader of its own (the examples use blanks and decimal numbers
// only), the plot file row by row with the precision each value was printed to.
#include <string>
#include <vector>

namespace kesta::testing {

// Every example deck of examples/, by name without the .dat.
const std::vector<std::string>& example_names();

// An example's name as a test name: dashes become underscores.
std::string test_id(const std::string& name);

std::string example_deck_path(const std::string& name);
std::string golden_report_path(const std::string& name);
std::string golden_plot_path(const std::string& name);
std::string golden_warnings_path(const std::string& name);

struct ExampleDeck {
  int ISTRESS = 0, IXL = 0, IAQ = 0, IXA = 0, NS = 0, NT = 0;
  double DELT = 0, XZERO = 0, XLL = 0, XAA = 0, XSTREAM = 0, AK = 0, AS = 0, AB = 0;
  double AKT = 0, AST = 0, ABT = 0, ASYT = 0, X = 0, HINIT = 0, TINIT = 0;
  std::vector<double> STAGE, RECH;  // indexed from 0 by time-stress line
};
ExampleDeck read_example_deck(const std::string& name);

// A printed number and half a unit in its last printed digit.
struct Printed {
  double value = 0;
  double half_unit = 0;
};
Printed read_printed(const std::string& field);

struct PlotRow {
  Printed time, head, seep, seept, bank, bankv;
};
// The rows of a golden plot file (the header line skipped).
std::vector<PlotRow> read_golden_plot(const std::string& name);
// The same from a plot file's text.
std::vector<PlotRow> read_plot_rows(const std::string& text);

}  // namespace kesta::testing
