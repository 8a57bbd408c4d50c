#include "fit/case/prediction_record.hpp"

#include <toml++/toml.h>
#include <cmath>
#include <string_view>
#include <utility>

#include "fit/case/fitted_bands.hpp"
#include "fit/estimation/number_text.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {

namespace {

// Time steps this close are one step written with other digits: a case's
// "30 min" against a deck's 0.0208333, six significant digits as the
// reports print them, 1.6e-6 apart.
constexpr double kStepTolerance = 1e-5;

// A deck value the prediction takes from the fit: its line in a deck, and its
// key in a case file (top level or [aquifer]; empty: set by the aquifer's type).
struct AquiferValue {
  std::string_view name;
  double Deck::*value = nullptr;
  int Deck::*code = nullptr;
  int deck_line = 0;
  std::string_view case_key;
};

const AquiferValue kAquifer[] = {
    {"IXL", nullptr, &Deck::IXL, 4, "aquifer.width"},
    {"IAQ", nullptr, &Deck::IAQ, 4, "aquifer.type"},
    {"IXA", nullptr, &Deck::IXA, 4, "aquifer.streambank_leakance"},
    {"XZERO", &Deck::XZERO, nullptr, 5, "aquifer.stream_half_width"},
    {"XLL", &Deck::XLL, nullptr, 5, "aquifer.width"},
    {"XAA", &Deck::XAA, nullptr, 5, "aquifer.streambank_leakance"},
    {"XSTREAM", &Deck::XSTREAM, nullptr, 5, "aquifer.stream_length"},
    {"AK", &Deck::AK, nullptr, 6, "aquifer.conductivity"},
    {"AS", &Deck::AS, nullptr, 6, "aquifer.specific_storage"},
    {"AB", &Deck::AB, nullptr, 6, "aquifer.thickness"},
    {"AKT", &Deck::AKT, nullptr, 7, "aquifer.aquitard_conductivity"},
    {"AST", &Deck::AST, nullptr, 7, "aquifer.aquitard_specific_storage"},
    {"ABT", &Deck::ABT, nullptr, 7, "aquifer.aquitard_thickness"},
    {"ASYT", &Deck::ASYT, nullptr, 7, "aquifer.aquitard_specific_yield"},
    {"HINIT", &Deck::HINIT, nullptr, 8, "hinit"},
};
constexpr int kDeltLine = 3;

// Whether the deck's codes use the value: an unused one may differ freely.
bool used(const AquiferValue& v, const Deck& d) {
  const std::string_view n = v.name;
  if (n == "XLL") return d.IXL == 1;
  if (n == "XAA") return d.IXA == 1;
  if (n == "AKT" || n == "AST" || n == "ABT") return d.IAQ >= 1;
  if (n == "ASYT") return d.IAQ == 3;
  return true;
}

std::string value_text(const AquiferValue& v, const Deck& d) {
  return v.code ? std::to_string(d.*(v.code)) : shortest(d.*(v.value));
}

// Where a case file gives a value: the line of its key; or, when the case
// takes the aquifer from a deck, that deck's line of the value; or the case
// file as a whole.
class CaseLines {
 public:
  explicit CaseLines(const std::filesystem::path& path) : path_(path) {
    try {
      root_ = toml::parse_file(path.string());
    } catch (const std::exception&) {
      // The case reader already accepted the file; without lines the file is named alone.
    }
  }
  std::pair<std::string, int> place(std::string_view dotted, int deck_line) const {
    if (const toml::node* node = root_.at_path(dotted).node())
      return {path_.string(), static_cast<int>(node->source().begin.line)};
    if (const std::optional<std::string> deck = root_["deck"].value<std::string>())
      return {(path_.parent_path() / *deck).string(), deck_line};
    return {path_.string(), 0};
  }

 private:
  std::filesystem::path path_;
  toml::table root_;
};

PredictionRecord read_deck_record(const PredictionEntry& entry) {
  PredictionRecord out;
  out.shown = entry.path.string();
  std::error_code ec;
  if (!std::filesystem::exists(entry.path, ec))
    throw FitInputError(out.shown, 0, "the deck to predict on does not exist");
  if (!std::filesystem::is_regular_file(entry.path, ec))
    throw FitInputError(out.shown, 0, "is not a file: expected a deck to predict on");
  try {
    out.deck = read_deck(entry.path);
  } catch (const DeckError& e) {
    if (e.line() > 0) throw FitInputError::located(out.shown, e.line(), e.what());
    throw FitInputError(out.shown, 0, e.what());
  } catch (const std::exception& e) {
    throw FitInputError(out.shown, 0, e.what());
  }
  out.inputs.push_back(entry.path);
  return out;
}

PredictionRecord read_case_record(const PredictionEntry& entry) {
  PredictionRecord out;
  out.shown = entry.path.string();
  try {
    PreparedCase prepared = read_case(entry.path);
    out.deck = std::move(prepared.deck);
    if (prepared.calendar.dated()) out.calendar = prepared.calendar;
    out.inputs = std::move(prepared.inputs);
  } catch (const CaseError& e) {
    throw FitInputError::located(e.file(), e.line(), e.what());
  } catch (const std::exception& e) {
    throw FitInputError(out.shown, 0, e.what());
  }
  out.inputs.push_back(entry.path);
  return out;
}

// "river.dat:6" for a value of the fit's deck.
std::string at(const FitCase& c, int line) { return c.file.deck_path.string() + ":" + std::to_string(line); }

void check_step(const FitCase& c, const PredictionRecord& r, const CaseLines* lines) {
  const double fitted = c.deck.DELT, given = r.deck.DELT;
  if (std::abs(given - fitted) <= kStepTolerance * std::abs(fitted)) return;
  const auto [file, line] = lines ? lines->place("run.step", 0) : std::pair(r.shown, kDeltLine);
  throw FitInputError(file, line,
                      "time step DELT = " + shortest(given) + " is not the fit's deck's DELT = " + shortest(fitted) +
                          " (" + at(c, kDeltLine) + "): a prediction runs on the time step the fit was made on");
}

bool estimated(const FitCase& c, std::string_view name) {
  for (const CaseParameter& p : c.parameters)
    if (p.info->name == name) return true;
  return false;
}

void check_aquifer(const FitCase& c, const PredictionRecord& r, const CaseLines* lines) {
  for (const AquiferValue& v : kAquifer) {
    const bool same = v.code ? c.deck.*(v.code) == r.deck.*(v.code) : c.deck.*(v.value) == r.deck.*(v.value);
    if (same || (!v.code && !used(v, c.deck) && !used(v, r.deck))) continue;
    const auto [file, line] = lines ? lines->place(v.case_key, v.deck_line) : std::pair(r.shown, v.deck_line);
    const std::string why = estimated(c, v.name)
                                ? "the fit estimates " + std::string(v.name) + " and predicts with its estimate"
                                : "the bands hold for the fitted aquifer only";
    throw FitInputError(file, line,
                        std::string(v.name) + " = " + value_text(v, r.deck) + " is not the fit's deck's " +
                            std::string(v.name) + " = " + value_text(v, c.deck) + " (" + at(c, v.deck_line) +
                            "): a prediction record gives the stress series and its steps, not the aquifer; " + why);
  }
}

}  // namespace

PredictionRecord load_prediction(const FitCase& c, const PredictionEntry& entry) {
  PredictionRecord r = entry.is_case ? read_case_record(entry) : read_deck_record(entry);
  std::optional<CaseLines> lines;
  if (entry.is_case) lines.emplace(entry.path);
  check_step(c, r, lines ? &*lines : nullptr);
  check_aquifer(c, r, lines ? &*lines : nullptr);
  // The fit's deck with the record's stress series and steps (DELT the same
  // within rounding: the fit's is kept).
  Deck deck = c.deck;
  deck.ISTRESS = r.deck.ISTRESS;
  deck.NT = r.deck.NT;
  deck.TINIT = r.deck.TINIT;
  deck.TIME = std::move(r.deck.TIME);
  deck.STAGE = std::move(r.deck.STAGE);
  deck.RECH = std::move(r.deck.RECH);
  if (const auto problem = first_problem(deck, SimulateOptions{c.file.inversion}))
    throw FitInputError(r.shown, 0, "cannot be run with the fit's aquifer: " + *problem);
  r.deck = std::move(deck);
  return r;
}

std::optional<PredictionEntry> prediction_entry(const FitFile& file, const std::filesystem::path& command_line) {
  if (command_line.empty()) return file.prediction;
  PredictionEntry entry = prediction_named(command_line);
  if (file.prediction) {
    entry.output = file.prediction->output;
    entry.output_path = file.prediction->output_path;
  }
  return entry;
}

Prediction predict(const FitCase& c, const PredictionRecord& record, const std::vector<double>& distances,
                   const LeastSquaresFit& fit, const Bands& fitted) {
  Prediction out;
  out.record = record.shown;
  out.bands.level = fitted.level;
  if (!fitted.not_computed.empty()) {
    out.bands.not_computed = fitted.not_computed;
    return out;
  }
  out.bands = fitted_bands(c, BandRuns(record.deck, c, distances), fit, fitted.level);
  if (record.calendar)
    for (const double t : out.bands.time) out.dates.push_back(record.calendar->date_of(t));
  return out;
}

}  // namespace kesta::fit_detail
