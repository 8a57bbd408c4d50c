// The table of docs/accuracy.md "Every printed digit, judged": for each example
// deck and each aquifer configuration (three stresses together), how many
// printed values of the results table differ from the exact model's rounded
// text with the Stehfest sum at the deck's NS and with the contour inversion,
// and the contour inversion's largest error before rounding, in units of the
// last printed digit. The exact values are the stored tables of
// tests/accuracy/expected (tools/exact_tables.py). Run from the source tree:
//   build/bench/kesta_printed_accuracy
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "io/record_editing.hpp"
#include "kesta/kesta.hpp"

namespace {

constexpr int kColumns = 5;
constexpr int kDigits[kColumns] = {5, 4, 4, 4, 4};  // D11.5 for the head, D10.4 for the rest
constexpr int kWidth[kColumns] = {11, 10, 10, 10, 10};
constexpr char kTie = '~';
constexpr const char* kColumnNames[kColumns] = {"HEAD", "SEEP", "SEEPT", "BANK", "BANKV"};
// The tables hold the exact value's offset to 8 decimals of a unit: smaller
// errors are below what they resolve.
constexpr double kResolution = 1e-8;

struct Field {
  std::string text;
  bool tie = false;
  double offset = 0.0;  // (exact - printed) in units of the last printed digit
};

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(line);
  while (std::getline(in, part, ',')) parts.push_back(part);
  return parts;
}

std::vector<std::vector<Field>> read_table(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<Field>> rows;
  std::string line;
  bool heading = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (heading) {
      heading = false;
      continue;
    }
    const std::vector<std::string> parts = split(line);
    std::vector<Field> row(kColumns);
    for (int c = 0; c < kColumns; ++c) {
      Field& f = row[static_cast<std::size_t>(c)];
      f.text = parts.at(static_cast<std::size_t>(1 + c));
      f.tie = !f.text.empty() && f.text.back() == kTie;
      if (f.tie) f.text.pop_back();
      f.offset = std::stod(parts.at(static_cast<std::size_t>(1 + kColumns + c)));
    }
    rows.push_back(row);
  }
  return rows;
}

// The value a printed text stands for and the unit of its last digit:
// [-]0.ddddD+ee or, for three-digit exponents, [-]0.dddd+eee.
void printed_value(const std::string& text, int digits, double& value, double& unit) {
  const auto point = text.find('.');
  const std::string mantissa = text.substr(point + 1, static_cast<std::size_t>(digits));
  std::size_t at = point + 1 + static_cast<std::size_t>(digits);
  if (text[at] == 'D') ++at;
  const int exponent = std::stoi(text.substr(at));
  unit = std::pow(10.0, exponent - digits);
  value = std::stod(mantissa) * unit * (text[0] == '-' ? -1.0 : 1.0);
}

struct Tally {
  int NS = 0;
  long compared = 0, ties = 0, stehfest_wrong = 0, contour_wrong = 0;
  double contour_error = 0.0;  // units of the last printed digit
  std::string worst;           // where it is largest
};

void judge(const std::string& deck_path, const std::string& table_path, Tally& t) {
  const kesta::Deck deck = kesta::read_deck(deck_path);
  const kesta::Results stehfest = kesta::simulate(deck);
  const kesta::Results contour = kesta::simulate(deck, {kesta::InversionMethod::Contour});
  const std::vector<std::vector<Field>> table = read_table(table_path);
  t.NS = deck.NS;
  for (std::size_t k = 0; k < table.size(); ++k) {
    const double s[kColumns] = {stehfest.head[k], stehfest.seepage[k], stehfest.total_seepage[k],
                                stehfest.bank_storage[k], stehfest.bank_volume[k]};
    const double c[kColumns] = {contour.head[k], contour.seepage[k], contour.total_seepage[k], contour.bank_storage[k],
                                contour.bank_volume[k]};
    for (int col = 0; col < kColumns; ++col) {
      const Field& f = table[k][static_cast<std::size_t>(col)];
      if (f.tie) {
        ++t.ties;
        continue;
      }
      ++t.compared;
      auto text = [&](double v) {
        const std::string field = kesta::edit_real(v, kWidth[col], kDigits[col], 'D');
        return field.substr(field.find_first_not_of(' '));
      };
      t.stehfest_wrong += text(s[col]) != f.text;
      t.contour_wrong += text(c[col]) != f.text;
      double value = 0.0, unit = 0.0;
      printed_value(f.text, kDigits[col], value, unit);
      const double error = std::fabs(c[col] - (value + f.offset * unit)) / unit;
      if (error > t.contour_error) {
        t.contour_error = error;
        t.worst = deck_path + " row " + std::to_string(k + 1) + " " + kColumnNames[col];
      }
    }
  }
}

std::string units(double error) {
  if (error < kResolution) return "< 1e-08";
  char text[16];
  std::snprintf(text, sizeof text, "%.1e", error);
  return text;
}

void print(const std::string& name, const Tally& t) {
  std::printf("| %s | %d | %ld | %ld | %ld | %ld | %s |\n", name.c_str(), t.NS, t.compared, t.ties, t.stehfest_wrong,
              t.contour_wrong, units(t.contour_error).c_str());
}

}  // namespace

int main() {
  const std::vector<std::string> examples = {
      "unit-step-confined",    "flood-wave-confined",  "flood-wave-streambank",
      "finite-width-confined", "leaky-constant-head",  "leaky-impervious-layer",
      "water-table-stage",     "water-table-recharge", "water-table-stage-and-recharge",
      "daily-stage-record"};
  std::printf(
      "| deck or configuration | NS | values | ties | wrong, Stehfest | wrong, contour |"
      " contour error (units) |\n|---|---|---|---|---|---|---|\n");
  Tally all_examples, all_configurations;
  auto add = [](Tally& sum, const Tally& t) {
    sum.compared += t.compared;
    sum.ties += t.ties;
    sum.stehfest_wrong += t.stehfest_wrong;
    sum.contour_wrong += t.contour_wrong;
    if (t.contour_error > sum.contour_error) {
      sum.contour_error = t.contour_error;
      sum.worst = t.worst;
    }
  };
  for (const std::string& name : examples) {
    Tally t;
    judge("examples/" + name + ".dat", "tests/accuracy/expected/" + name + ".csv", t);
    print("`" + name + "`", t);
    add(all_examples, t);
  }
  for (int IXL = 0; IXL <= 1; ++IXL)
    for (int IAQ = 0; IAQ <= 3; ++IAQ)
      for (int IXA = 0; IXA <= 1; ++IXA) {
        const std::string group =
            "ixl" + std::to_string(IXL) + "-iaq" + std::to_string(IAQ) + "-ixa" + std::to_string(IXA);
        const std::vector<std::string> stresses = IAQ == 3 ? std::vector<std::string>{"stage", "recharge", "both"}
                                                           : std::vector<std::string>{"step", "flood", "irregular"};
        Tally t;
        for (const std::string& stress : stresses)
          judge("tests/accuracy/decks/" + group + "-" + stress + ".dat",
                "tests/accuracy/expected/" + group + "-" + stress + ".csv", t);
        print("IXL " + std::to_string(IXL) + ", IAQ " + std::to_string(IAQ) + ", IXA " + std::to_string(IXA), t);
        add(all_configurations, t);
      }
  // The closed valley's step run long enough for its seepage to die away far
  // below the inversion's error floor: outside the configurations' totals.
  Tally floor;
  judge("tests/accuracy/decks/ixl1-iaq0-ixa0-long-decay.dat", "tests/accuracy/expected/ixl1-iaq0-ixa0-long-decay.csv",
        floor);
  print("IXL 1, IAQ 0, IXA 0, seepage decayed to 1e-19", floor);
  for (const auto& [name, t] : {std::pair{"examples", all_examples}, std::pair{"configurations", all_configurations}})
    std::printf(
        "\nall %s: %ld values, %ld ties, %ld wrong by Stehfest, %ld by contour; largest contour error %s "
        "units (%s)",
        name, t.compared, t.ties, t.stehfest_wrong, t.contour_wrong, units(t.contour_error).c_str(), t.worst.c_str());
  std::printf("\n");
  return 0;
}
