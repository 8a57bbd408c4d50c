#include "fit/input/fit_file.hpp"

#include <toml++/toml.h>
#include <cmath>
#include <map>
#include <tuple>

#include "fit/estimation/number_text.hpp"
#include "fit/input/input_limits.hpp"
#include "fit/input/text_input.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {

namespace {

constexpr int kMaxIterationsLimit = 10000;
constexpr int kMostStarts = 1000;

int line_of(const toml::node& node) { return static_cast<int>(node.source().begin.line); }
int line_of(const toml::key& key) { return static_cast<int>(key.source().begin.line); }

// Reads one table, knowing which keys it may hold; every error names the key
// and the line.
class TableReader {
 public:
  TableReader(const toml::table& table, std::string where, const std::string& file)
      : table_(table), where_(std::move(where)), file_(file) {}

  void allow_only(std::initializer_list<std::string_view> keys, std::string_view hint) const {
    for (const auto& [key, node] : table_) {
      bool known = false;
      for (std::string_view k : keys) known = known || key.str() == k;
      if (!known)
        throw FitInputError(file_, line_of(key),
                            "unknown key '" + std::string(key.str()) + "'" + (where_.empty() ? "" : " " + where_) +
                                "; " + std::string(hint));
    }
  }

  const toml::node* find(std::string_view key) const { return table_.get(key); }

  [[noreturn]] void fail(const toml::node& node, std::string_view key, const std::string& message) const {
    throw FitInputError(file_, line_of(node), name(key) + ": " + message);
  }

  std::optional<std::string> string(std::string_view key) const {
    const toml::node* node = find(key);
    if (!node) return std::nullopt;
    if (!node->is_string()) fail(*node, key, "expected a string in quotes");
    return node->value<std::string>();
  }

  std::optional<double> number(std::string_view key) const {
    const toml::node* node = find(key);
    if (!node) return std::nullopt;
    if (!node->is_number()) fail(*node, key, "expected a number");
    const double v = *node->value<double>();
    if (!std::isfinite(v)) fail(*node, key, "expected a finite number");
    // A deck value beyond it would make simulated values whose squares cannot be formed.
    if (std::abs(v) > kLargestMagnitude)
      fail(*node, key,
           shortest(v) + " is larger in magnitude than " + shortest(kLargestMagnitude) +
               ", the largest kesta-fit takes");
    return v;
  }

  int line(std::string_view key) const {
    const toml::node* node = find(key);
    return node ? line_of(*node) : line_of(table_);
  }

  std::string name(std::string_view key) const {
    return where_.empty() ? std::string(key) : where_ + " " + std::string(key);
  }

 private:
  const toml::table& table_;
  std::string where_;
  const std::string& file_;
};

// A column: its header name in quotes, or its position from 1.
void read_column(const TableReader& reader, std::string_view key, std::string& name, int& position) {
  const toml::node* node = reader.find(key);
  if (!node) return;
  if (node->is_string() && !node->value<std::string>()->empty()) {
    name = *node->value<std::string>();
    return;
  }
  constexpr std::int64_t kMostColumns = 1000;
  const std::optional<std::int64_t> n = node->is_integer() ? node->value<std::int64_t>() : std::nullopt;
  if (!n || *n < 1 || *n > kMostColumns)
    reader.fail(*node, key, "expected a column's header name in quotes, or its position from 1 (1 to 1000)");
  position = static_cast<int>(*n);
}

// start = "2015-01-01" (a date) or 10.0 (a model time): the record's window.
void read_bound(const TableReader& reader, std::string_view key, std::optional<double>& time, std::string& date,
                int& line) {
  const toml::node* node = reader.find(key);
  if (!node) return;
  line = line_of(*node);
  if (node->is_string()) {
    date = *node->value<std::string>();
    if (date.empty()) reader.fail(*node, key, "expected a date such as \"2015-01-01\" or a model time");
    return;
  }
  time = reader.number(key);
}

// The keys that say where a record's columns stand and how its dates read.
RecordLayout read_record_layout(const TableReader& reader) {
  RecordLayout layout;
  read_column(reader, "time", layout.time_name, layout.time_position);
  read_column(reader, "value", layout.value_name, layout.value_position);
  layout.columns_chosen = reader.find("time") || reader.find("value");
  if (layout.columns_chosen) layout.columns_line = reader.line(reader.find("time") ? "time" : "value");
  if (layout.time_name.empty() && layout.value_name.empty() && layout.time_position == layout.value_position)
    reader.fail(*reader.find(reader.find("value") ? "value" : "time"), reader.find("value") ? "value" : "time",
                "the time and the value are both column " + std::to_string(layout.time_position));
  for (auto [key, text, line] : {std::tuple{"format", &layout.format, &layout.format_line},
                                 std::tuple{"zone", &layout.zone, &layout.zone_line}}) {
    if (const std::optional<std::string> v = reader.string(key)) {
      if (v->empty()) reader.fail(*reader.find(key), key, "expected a non-empty text");
      *text = *v;
      *line = reader.line(key);
    }
  }
  read_bound(reader, "start", layout.start_time, layout.start_date, layout.start_line);
  read_bound(reader, "end", layout.end_time, layout.end_date, layout.end_line);
  return layout;
}

ObservationEntry read_observation(const toml::node& node, std::size_t index, const std::string& file,
                                  const std::filesystem::path& folder) {
  const std::string where = "observations[" + std::to_string(index + 1) + "]";
  const toml::table* table = node.as_table();
  if (!table) throw FitInputError(file, line_of(node), where + ": expected a table of file, kind and distance");
  const TableReader reader(*table, where, file);
  reader.allow_only({"file", "kind", "distance", "time", "value", "format", "zone", "start", "end"},
                    "an observation set has file, kind and distance, and may have time, value, format, zone, start "
                    "and end");

  ObservationEntry entry;
  const std::optional<std::string> name = reader.string("file");
  if (!name || name->empty()) throw FitInputError(file, line_of(*table), where + ": missing key 'file'");
  entry.file = *name;
  entry.path = folder / *name;
  entry.line = reader.line("file");

  const std::optional<std::string> kind = reader.string("kind");
  if (!kind) throw FitInputError(file, line_of(*table), where + ": missing key 'kind' (\"head\" or \"seepage\")");
  if (*kind == "head")
    entry.kind = Kind::Head;
  else if (*kind == "seepage")
    entry.kind = Kind::Seepage;
  else
    reader.fail(*reader.find("kind"), "kind", "expected \"head\" or \"seepage\", not \"" + *kind + "\"");

  entry.distance = reader.number("distance");
  entry.distance_line = reader.line("distance");
  // Seepage is the flow through the streambank: a well distance would be ignored silently.
  if (entry.distance && entry.kind == Kind::Seepage)
    reader.fail(*reader.find("distance"), "distance", "not used for seepage, which is measured at the streambank");
  entry.layout = read_record_layout(reader);
  return entry;
}

ParameterEntry read_parameter(const toml::key& key, const toml::node& node, const std::string& file) {
  const ParameterInfo* info = find_parameter(key.str());
  if (!info)
    throw FitInputError(
        file, line_of(key),
        "parameters: unknown parameter '" + std::string(key.str()) + "'; can be estimated: " + estimable_names());
  const std::string where = "parameters." + std::string(key.str());
  const toml::table* table = node.as_table();
  if (!table) throw FitInputError(file, line_of(node), where + ": expected a table such as { min = 1.0, max = 100.0 }");
  const TableReader reader(*table, where, file);
  reader.allow_only({"initial", "min", "max"}, "a parameter has initial, min and max");

  ParameterEntry entry{info, reader.number("initial"), reader.number("min"), reader.number("max"), line_of(key)};
  if (entry.min && entry.max && !(*entry.min < *entry.max))
    reader.fail(*reader.find("min"), "min", "must be below max (" + shortest(*entry.max) + ")");
  if (info->scale == Scale::Log) {
    for (std::string_view k : {"initial", "min", "max"}) {
      const std::optional<double> v = reader.number(k);
      if (v && *v <= 0.0)
        reader.fail(*reader.find(k), k,
                    "must be positive: " + std::string(info->name) + " is estimated on a log scale");
      if (v && *v < kSmallestMagnitude)
        reader.fail(*reader.find(k), k,
                    shortest(*v) + " is smaller than " + shortest(kSmallestMagnitude) +
                        ", the smallest positive value kesta-fit takes");
    }
  }
  if (entry.initial && ((entry.min && *entry.initial < *entry.min) || (entry.max && *entry.initial > *entry.max)))
    reader.fail(*reader.find("initial"), "initial", "lies outside the bounds min ... max");
  return entry;
}

int read_solver(const toml::table& table, const std::string& file) {
  const TableReader reader(table, "solver", file);
  reader.allow_only({"max_iterations"}, "the solver table has max_iterations");
  const toml::node* node = reader.find("max_iterations");
  if (!node) return FitFile{}.max_iterations;
  if (!node->is_integer()) reader.fail(*node, "max_iterations", "expected a whole number");
  const std::int64_t n = *node->value<std::int64_t>();
  if (n < 1 || n > kMaxIterationsLimit)
    reader.fail(*node, "max_iterations", "expected 1 to " + std::to_string(kMaxIterationsLimit));
  return static_cast<int>(n);
}

// ns = "auto" or a whole number; whether the deck runs at that order is
// checked against the deck later.
void read_ns(const TableReader& top, FitFile& fit) {
  const toml::node* node = top.find("ns");
  if (!node) return;
  fit.ns_line = line_of(*node);
  if (node->is_string()) {
    if (*node->value<std::string>() != "auto") top.fail(*node, "ns", "expected \"auto\" or a whole number such as 12");
    fit.ns_choice = NsChoice::Auto;
    return;
  }
  if (!node->is_integer()) top.fail(*node, "ns", "expected \"auto\" or a whole number such as 12");
  const std::int64_t n = *node->value<std::int64_t>();
  if (n < 2 || n > NSMAX) top.fail(*node, "ns", "expected 2 to " + std::to_string(NSMAX));
  fit.ns_choice = NsChoice::Given;
  fit.ns = static_cast<int>(n);
}

// inversion = "contour" (the default) or "stehfest". An ns key alone comes
// from a fit file written when the Stehfest inversion was the only one: it
// keeps that inversion. ns beside an explicit contour inversion contradicts it.
void read_inversion(const TableReader& top, FitFile& fit) {
  const std::optional<std::string> name = top.string("inversion");
  const bool has_ns = top.find("ns") != nullptr;
  fit.inversion_chosen = name || has_ns;
  if (!name) {
    if (has_ns) fit.inversion = InversionMethod::Stehfest;
    return;
  }
  const toml::node& node = *top.find("inversion");
  fit.inversion_line = line_of(node);
  const std::optional<InversionMethod> method = inversion_named(*name);
  if (!method) top.fail(node, "inversion", "expected \"contour\" or \"stehfest\", not \"" + *name + "\"");
  fit.inversion = *method;
  if (has_ns && fit.inversion == InversionMethod::Contour)
    top.fail(node, "inversion",
             "\"contour\" takes no ns, but ns is given on line " + std::to_string(fit.ns_line) +
                 ": remove ns, or write inversion = \"stehfest\" to keep the Stehfest inversion at that order");
}

void read_noise_and_starts(const TableReader& top, FitFile& fit) {
  if (const std::optional<std::string> noise = top.string("noise")) {
    if (*noise == "ar1")
      fit.ar1 = true;
    else if (*noise == "independent")
      fit.ar1 = false;
    else
      top.fail(*top.find("noise"), "noise", "expected \"ar1\" or \"independent\", not \"" + *noise + "\"");
  }
  const toml::node* node = top.find("starts");
  if (!node) return;
  fit.starts_line = line_of(*node);
  if (!node->is_integer()) top.fail(*node, "starts", "expected a whole number");
  const std::int64_t n = *node->value<std::int64_t>();
  if (n < 1 || n > kMostStarts) top.fail(*node, "starts", "expected 1 to " + std::to_string(kMostStarts));
  fit.starts = static_cast<int>(n);
}

// A whole number key of the bands table within [least, most].
std::optional<std::int64_t> whole_number(const TableReader& reader, std::string_view key, std::int64_t least,
                                         std::int64_t most, const std::string& range) {
  const toml::node* node = reader.find(key);
  if (!node) return std::nullopt;
  if (!node->is_integer()) reader.fail(*node, key, "expected a whole number");
  const std::int64_t n = *node->value<std::int64_t>();
  if (n < least || n > most) reader.fail(*node, key, std::to_string(n) + " is not " + range);
  return n;
}

// bands = { distances = [30.0, 120.0] }: wells without a record to draw head
// bands at; whether each lies within a finite aquifer is checked on the deck.
void read_band_distances(const TableReader& reader, FitFile& fit) {
  const toml::node* node = reader.find("distances");
  if (!node) return;
  const toml::array* list = node->as_array();
  if (!list) reader.fail(*node, "distances", "expected a list of distances such as [30.0, 120.0]");
  for (const toml::node& item : *list) {
    if (!item.is_number()) reader.fail(item, "distances", "expected a number");
    const double d = *item.value<double>();
    if (!std::isfinite(d) || d <= 0.0 || d > kLargestMagnitude)
      reader.fail(item, "distances", shortest(d) + " is not a positive finite distance from the stream centre");
    fit.band_distances.push_back(d);
    fit.band_distance_lines.push_back(line_of(item));
  }
}

bool names_case(const std::filesystem::path& record) { return record.extension() == ".toml"; }

// [prediction] deck = "design-flood.dat" or case = "next-season.toml", and
// output = "name.csv".
void read_prediction(const TableReader& top, FitFile& fit, const std::string& file,
                     const std::filesystem::path& folder) {
  const toml::node* node = top.find("prediction");
  if (!node) return;
  const toml::table* table = node->as_table();
  if (!table) top.fail(*node, "prediction", "expected a table [prediction]");
  const TableReader reader(*table, "prediction", file);
  reader.allow_only({"deck", "case", "output"}, "the prediction table has deck or case, and output");
  const std::optional<std::string> deck = reader.string("deck");
  const std::optional<std::string> record = deck ? deck : reader.string("case");
  if (deck && reader.find("case"))
    reader.fail(*reader.find("case"), "case", "give a deck or a case to predict on, not both");
  if (!record || record->empty())
    throw FitInputError(file, line_of(*table), "prediction: missing key 'deck' or 'case' (the stress record)");
  PredictionEntry entry{*record, folder / *record, !deck, reader.line(deck ? "deck" : "case"), "", {}};
  if (const std::optional<std::string> output = reader.string("output")) {
    if (output->empty()) reader.fail(*reader.find("output"), "output", "expected a file name");
    entry.output = *output;
    entry.output_path = folder / *output;
  }
  fit.prediction = std::move(entry);
}

// bands = { level = 0.9, ensemble = 400, seed = 1, distances = [30.0] }: the
// probability each band holds, strictly between 0 and 1, where a band is
// neither a point nor the whole line; the parameter sets of the ensemble route
// (none by default), and the seed of their draws; further wells.
void read_bands(const TableReader& top, FitFile& fit, const std::string& file) {
  const toml::node* node = top.find("bands");
  if (!node) return;
  fit.bands_line = line_of(*node);
  const toml::table* table = node->as_table();
  if (!table) top.fail(*node, "bands", "expected a table such as { level = 0.9 }");
  const TableReader reader(*table, "bands", file);
  reader.allow_only({"level", "ensemble", "seed", "distances"},
                    "the bands table has level, ensemble, seed and distances");
  read_band_distances(reader, fit);
  if (const std::optional<double> level = reader.number("level")) {
    if (!(*level > 0.0 && *level < 1.0))
      reader.fail(*reader.find("level"), "level",
                  shortest(*level) + " is not a probability between 0 and 1 (exclusive), such as 0.9");
    fit.band_level = *level;
  }
  // 20 to 100000, as the ensemble's bands need (fit/case/ensemble_bands.hpp).
  const std::string members = "0 (no ensemble) or 20 to 100000 parameter sets";
  if (const auto n = whole_number(reader, "ensemble", 0, 100000, members)) {
    if (*n > 0 && *n < 20) reader.fail(*reader.find("ensemble"), "ensemble", std::to_string(*n) + " is not " + members);
    fit.ensemble = static_cast<int>(*n);
  }
  if (const auto seed = whole_number(reader, "seed", 0, 4294967295LL, "a seed from 0 to 4294967295")) {
    if (!reader.find("ensemble"))
      reader.fail(*reader.find("seed"), "seed", "seeds the ensemble's draws, but the bands table has no ensemble");
    fit.ensemble_seed = static_cast<unsigned>(*seed);
  }
}

// units = { length = "m", time = "d" }, as a case file's [units]: names that
// label the picture, checked as kesta-plot checks its --units.
void read_units(const TableReader& top, FitFile& fit, const std::string& file) {
  const toml::node* node = top.find("units");
  if (!node) return;
  fit.units_line = line_of(*node);
  const toml::table* table = node->as_table();
  if (!table) top.fail(*node, "units", "expected a table such as { length = \"m\", time = \"d\" }");
  const TableReader reader(*table, "units", file);
  reader.allow_only({"length", "time"}, "the units table has length and time");
  std::string names[2];
  const char* keys[2] = {"length", "time"};
  for (int i = 0; i < 2; ++i) {
    const std::optional<std::string> name = reader.string(keys[i]);
    if (!name)
      top.fail(*node, "units", std::string("missing key '") + keys[i] + "' in { length = \"m\", time = \"d\" }");
    if (name->empty()) reader.fail(*reader.find(keys[i]), keys[i], "expected a name such as \"m\" or \"d\"");
    names[i] = *name;
    try {
      (void)(i == 0 ? plot::checked_units(names[0], "T") : plot::checked_units("L", names[1]));
    } catch (const plot::UnitsError& e) {
      reader.fail(*reader.find(keys[i]), keys[i], e.what());
    }
  }
  fit.units = plot::Units{names[0], names[1]};
}

// deck = "..." or case = "...": the deck to start from, or a case whose deck,
// inversion and calendar the fit takes. One of them, never both.
void read_source(const TableReader& top, FitFile& fit, const std::filesystem::path& folder) {
  const std::optional<std::string> deck = top.string("deck");
  const std::optional<std::string> case_name = top.string("case");
  if (deck && case_name)
    throw FitInputError(fit.shown_name, top.line("case"),
                        "case (line " + std::to_string(top.line("case")) + ") and deck (line " +
                            std::to_string(top.line("deck")) + ") both name the model to start from; keep one");
  if (case_name) {
    if (case_name->empty()) top.fail(*top.find("case"), "case", "expected a case file's name");
    fit.case_name = *case_name;
    fit.case_path = folder / *case_name;
    fit.case_line = top.line("case");
    return;
  }
  if (!deck || deck->empty())
    throw FitInputError(fit.shown_name, 0,
                        "missing key 'deck' (the input deck to start from) or 'case' (a case file to start from)");
  fit.deck = *deck;
  fit.deck_path = folder / *deck;
  fit.deck_line = top.line("deck");
}

// Dates are read on a case's calendar: keys for them beside a deck are refused
// at their line (a dated time in a record, at the record's line, later).
void check_dates_have_case(const FitFile& fit) {
  if (!fit.case_name.empty()) return;
  for (std::size_t i = 0; i < fit.observations.size(); ++i) {
    const RecordLayout& l = fit.observations[i].layout;
    if (!l.dated_keys()) continue;
    const int line = !l.format.empty()       ? l.format_line
                     : !l.zone.empty()       ? l.zone_line
                     : !l.start_date.empty() ? l.start_line
                                             : l.end_line;
    throw FitInputError(fit.shown_name, line,
                        "observations[" + std::to_string(i + 1) +
                            "]: dates need a calendar, which a deck has not; name a case instead of the deck "
                            "(case = \"...\")");
  }
}

}  // namespace

FitFile parse_fit_file(std::string_view text, const std::string& shown_name, const std::filesystem::path& folder) {
  text = checked_text(text, shown_name, fit_file_text());
  toml::table root;
  try {
    root = toml::parse(text, shown_name);
  } catch (const toml::parse_error& e) {
    throw FitInputError(shown_name, static_cast<int>(e.source().begin.line), std::string(e.description()));
  }
  FitFile fit;
  fit.shown_name = shown_name;
  const TableReader top(root, "", shown_name);
  top.allow_only(
      {"deck", "case", "inversion", "ns", "noise", "starts", "bands", "units", "observations", "parameters", "solver",
       "prediction"},
      "a fit file has deck (or case), inversion, ns, noise, starts, bands, units, [[observations]], [parameters], "
      "[solver] and [prediction]");

  read_source(top, fit, folder);
  read_ns(top, fit);
  read_inversion(top, fit);
  read_noise_and_starts(top, fit);
  read_bands(top, fit, shown_name);
  read_units(top, fit, shown_name);

  const toml::node* observations = top.find("observations");
  if (!observations) throw FitInputError(shown_name, 0, "missing [[observations]]: nothing to fit to");
  const toml::array* list = observations->as_array();
  if (!list) top.fail(*observations, "observations", "expected [[observations]] tables");
  if (list->empty()) top.fail(*observations, "observations", "no observation sets");
  for (std::size_t i = 0; i < list->size(); ++i)
    fit.observations.push_back(read_observation(*list->get(i), i, shown_name, folder));
  check_dates_have_case(fit);

  const toml::node* parameters = top.find("parameters");
  if (!parameters) throw FitInputError(shown_name, 0, "missing [parameters]: nothing to estimate");
  const toml::table* table = parameters->as_table();
  if (!table) top.fail(*parameters, "parameters", "expected a table [parameters]");
  std::map<std::string_view, ParameterEntry> by_name;
  for (const auto& [key, node] : *table) {
    ParameterEntry entry = read_parameter(key, node, shown_name);
    by_name.emplace(entry.info->name, entry);
  }
  if (by_name.empty()) top.fail(*parameters, "parameters", "no parameter to estimate");
  for (const ParameterInfo& p : estimable_parameters())
    if (const auto it = by_name.find(p.name); it != by_name.end()) fit.parameters.push_back(it->second);

  if (const toml::node* solver = top.find("solver")) {
    const toml::table* s = solver->as_table();
    if (!s) top.fail(*solver, "solver", "expected a table [solver]");
    fit.max_iterations = read_solver(*s, shown_name);
  }
  read_prediction(top, fit, shown_name, folder);
  return fit;
}

PredictionEntry prediction_named(const std::filesystem::path& record) {
  return {record.string(), record, names_case(record), 0, "", {}};
}

FitFile read_fit_file(const std::filesystem::path& path) {
  const std::string shown = path.string();
  return parse_fit_file(read_text_input(path, shown, fit_file_text()), shown, path.parent_path());
}

}  // namespace kesta::fit_detail
