#include "fit/tests/fit_scenario.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "fit/case/deck_model.hpp"

namespace kesta::fit_detail::testing {

Deck flood_deck() {
  Deck d;
  d.TITLE1 = "Flood wave past a confined aquifer behind a streambank";
  d.TITLE2 = "Test deck of kesta-fit";
  d.ISTRESS = 0;
  d.DELT = 0.1;
  d.IXA = 1;
  d.XZERO = 10.0;
  d.XAA = 30.0;
  d.XSTREAM = 1000.0;
  d.AK = 10.0;
  d.AS = 1e-4;
  d.AB = 10.0;
  d.X = 50.0;
  d.NS = 12;
  d.NT = 61;
  for (int k = 0; k < d.NT; ++k) {
    const double t = k * d.DELT;
    d.TIME.push_back(t);
    d.STAGE.push_back(t * std::exp(1.0 - t));  // peaks at 1 m on day 1
    d.RECH.push_back(0.0);
  }
  return d;
}

std::vector<ObservationSet> records(const Deck& truth, const std::vector<RecordPlan>& plans, unsigned seed,
                                    InversionMethod inversion) {
  std::mt19937 random(seed);
  std::normal_distribution<double> unit(0.0, 1.0);
  std::vector<ObservationSet> out;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const RecordPlan& plan = plans[i];
    Deck deck = truth;
    if (plan.kind == Kind::Head) deck.X = plan.distance;
    const Results r = simulate(deck, {inversion});
    const std::vector<double>& y = plan.kind == Kind::Head ? r.head : r.seepage;
    ObservationSet set{"record-" + std::to_string(i + 1) + ".csv", plan.kind, deck.X, {}};
    int line = 2;
    for (std::size_t k = static_cast<std::size_t>(plan.every); k < y.size();
         k += static_cast<std::size_t>(plan.every)) {
      const double noise = plan.noise > 0.0 ? plan.noise * unit(random) : 0.0;
      set.rows.push_back({r.time[k], y[k] + noise, plan.noise > 0.0 ? 1.0 / plan.noise : 1.0, line++});
    }
    out.push_back(std::move(set));
  }
  return out;
}

FitCase memory_case(const Deck& start, std::vector<ObservationSet> sets, const ParameterPlan& parameters) {
  FitFile file;
  file.shown_name = "memory.toml";
  file.ar1 = false;  // the residuals as independent, unless a test asks for the noise model
  for (const ParameterInfo& info : estimable_parameters()) {
    const auto it = parameters.find(std::string(info.name));
    if (it == parameters.end()) continue;
    const Bounds& b = it->second;
    file.parameters.push_back(
        {&info, std::isnan(b.initial) ? std::nullopt : std::optional(b.initial), b.min, b.max, 1});
  }
  return assemble_fit_case(std::move(file), start, std::move(sets));
}

LeastSquaresFit run_case(const FitCase& c) {
  const DeckModel model(c);
  const BatchModel batch = [&model](const std::vector<std::vector<double>>& sets) { return model.evaluate(sets); };
  return fit_least_squares(c.free_parameters(), c.observed, batch, {c.file.max_iterations, nullptr, c.file.ar1});
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kesta-fit-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

void TempFolder::write(const std::string& name, const std::string& text) const {
  std::ofstream out(path(name), std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path(name).string());
}

std::string csv_text(const std::vector<CsvObservation>& rows) {
  std::string out = "time,value,weight\n";
  char line[96];
  for (const CsvObservation& r : rows) {
    (void)std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g\n", r.time, r.value, r.weight);
    out += line;
  }
  return out;
}

std::string file_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_fit_folder(const TempFolder& folder, const Deck& start, const std::vector<ObservationSet>& sets,
                      const std::string& parameters_toml, const std::string& top_toml) {
  folder.write("deck.dat", write_deck(start));
  std::string toml = "deck = \"deck.dat\"\n" + top_toml;
  for (const ObservationSet& set : sets) {
    folder.write(set.name, csv_text(set.rows));
    toml += "[[observations]]\nfile = \"" + set.name + "\"\nkind = \"" + std::string(name_of(set.kind)) + "\"\n";
    if (set.kind == Kind::Head) toml += "distance = " + std::to_string(set.distance) + "\n";
  }
  folder.write("fit.toml", toml + "[parameters]\n" + parameters_toml);
}

}  // namespace kesta::fit_detail::testing
