#include "case/case_file.hpp"

// toml++ 3.3 checks states of its own parser with assertions, and some text
// reaches them ("[=", "2023-05-01Tp0:00"): an abort, or with NDEBUG an
// assumption the compiler builds on (undefined behaviour). Here they throw,
// and the text is refused. The few in noexcept functions check states no
// text reaches; failing, they end the program as the assertion did.
#include <stdexcept>
namespace kesta {
struct TomlReaderFault : std::logic_error {
  TomlReaderFault() : std::logic_error("toml++ assertion") {}
};
}  // namespace kesta
#define TOML_ASSERT(expr) ((expr) ? static_cast<void>(0) : throw kesta::TomlReaderFault())
#ifdef NDEBUG
#undef NDEBUG
#endif
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wterminate"
#endif
#include <toml++/toml.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#include <cctype>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include "case/case_error.hpp"
#include "case/text_file.hpp"

namespace kesta {
namespace {

constexpr std::size_t kLongestUnitName = 12;

int line_of(const toml::node& node) { return static_cast<int>(node.source().begin.line); }
int line_of(const toml::key& key) { return static_cast<int>(key.source().begin.line); }

// One table of the case file, knowing which keys it may hold; every error
// names the key and its line.
class Table {
 public:
  Table(const toml::table& table, std::string where, const std::string& file)
      : table_(table), where_(std::move(where)), file_(file) {}

  void allow_only(std::initializer_list<std::string_view> keys) const {
    for (const auto& [key, node] : table_) {
      bool known = false;
      for (std::string_view k : keys) known = known || key.str() == k;
      if (known) continue;
      std::string list;
      for (std::string_view k : keys) list += (list.empty() ? "" : ", ") + std::string(k);
      throw CaseError(file_, line_of(key),
                      "unknown key '" + std::string(key.str()) + "'" + (where_.empty() ? "" : " in [" + where_ + "]") +
                          "; the keys are " + list);
    }
  }

  const toml::node* find(std::string_view key) const { return table_.get(key); }
  int line(std::string_view key) const { return find(key) ? line_of(*find(key)) : line_of(table_); }
  int table_line() const { return line_of(table_); }

  [[noreturn]] void fail(std::string_view key, const std::string& message) const {
    throw CaseError(file_, line(key), name(key) + ": " + message);
  }
  [[noreturn]] void missing(std::string_view key, const std::string& what) const {
    throw CaseError(file_, table_line(), "missing key '" + name(key) + "' (" + what + ")");
  }

  std::optional<std::string> string(std::string_view key) const {
    const toml::node* node = find(key);
    if (!node) return std::nullopt;
    if (!node->is_string()) fail(key, "expected a string in quotes");
    return node->value<std::string>();
  }

  std::optional<double> number(std::string_view key) const {
    const toml::node* node = find(key);
    if (!node) return std::nullopt;
    if (!node->is_number()) fail(key, "expected a number");
    const double v = *node->value<double>();
    if (!std::isfinite(v)) fail(key, "expected a finite number");
    return v;
  }

  std::optional<bool> boolean(std::string_view key) const {
    const toml::node* node = find(key);
    if (!node) return std::nullopt;
    if (!node->is_boolean()) fail(key, "expected true or false");
    return node->value<bool>();
  }

  std::string name(std::string_view key) const {
    return where_.empty() ? std::string(key) : where_ + "." + std::string(key);
  }

 private:
  const toml::table& table_;
  std::string where_;
  const std::string& file_;
};

const toml::table* sub_table(const Table& top, std::string_view key) {
  const toml::node* node = top.find(key);
  if (!node) return nullptr;
  if (!node->is_table()) top.fail(key, "expected a table [" + std::string(key) + "]");
  return node->as_table();
}

ColumnChoice column(const Table& t, std::string_view key, int default_position) {
  const toml::node* node = t.find(key);
  if (!node) return {"", default_position};
  if (node->is_string()) {
    const std::string name = *node->value<std::string>();
    if (name.empty()) t.fail(key, "a column name cannot be empty");
    return {name, 0};
  }
  if (!node->is_integer()) t.fail(key, "expected a column name in quotes or a position counted from 1");
  const std::int64_t n = *node->value<std::int64_t>();
  constexpr std::int64_t kMostColumns = 10000;
  if (n < 1 || n > kMostColumns) t.fail(key, "expected a position from 1 to " + std::to_string(kMostColumns));
  return {"", static_cast<int>(n)};
}

void check_zone(const Table& t, std::string_view key, const std::string& zone) {
  try {
    (void)date::locate_zone(zone);
  } catch (const std::exception&) {
    t.fail(key, "unknown time zone \"" + zone + "\" (an IANA name such as \"UTC\" or \"Europe/Amsterdam\")");
  }
}

RecordEntry read_record_entry(const toml::table& table, std::string_view where, const std::string& file,
                              const std::filesystem::path& folder, const std::string& run_zone) {
  const Table t(table, std::string(where), file);
  t.allow_only({"file", "time", "value", "header", "delimiter", "format", "zone", "missing", "datum"});
  RecordEntry entry;
  entry.line = t.table_line();
  const std::optional<std::string> name = t.string("file");
  if (!name || name->empty()) t.missing("file", "the CSV file of the record");
  entry.file = *name;
  entry.path = folder / *name;
  RecordLayout& layout = entry.layout;
  layout.time = column(t, "time", 1);
  layout.value = column(t, "value", 2);
  layout.header = t.boolean("header").value_or(true);
  if (!layout.header && (!layout.time.name.empty() || !layout.value.name.empty()))
    t.fail("header", "columns named need a header line; give their positions instead");
  if (const auto d = t.string("delimiter")) {
    if (d->size() != 1 || (*d)[0] == '"' || (*d)[0] == '\n')
      t.fail("delimiter", "expected one character such as \",\" or \";\"");
    layout.delimiter = (*d)[0];
  }
  layout.format = t.string("format").value_or("");
  if (!layout.format.empty() && layout.format.find('%') == std::string::npos)
    t.fail("format", "expected a pattern such as \"%d/%m/%Y %H:%M\"");
  layout.zone = t.string("zone").value_or(run_zone);
  if (t.find("zone")) check_zone(t, "zone", layout.zone);
  if (const toml::node* missing = t.find("missing")) {
    const toml::array* list = missing->as_array();
    if (!list) t.fail("missing", "expected a list such as [-9999, \"---\"]");
    for (const toml::node& item : *list) {
      if (item.is_string()) {
        layout.missing.push_back(*item.value<std::string>());
      } else if (item.is_number()) {
        layout.missing_levels.push_back(*item.value<double>());
      } else {
        t.fail("missing", "expected numbers or strings");
      }
    }
  }
  if (const toml::node* datum = t.find("datum")) {
    if (datum->is_number()) {
      entry.datum = DatumKind::Number;
      entry.datum_level = *t.number("datum");
    } else {
      const std::optional<std::string> word = t.string("datum");
      if (*word == "first")
        entry.datum = DatumKind::First;
      else if (*word == "minimum")
        entry.datum = DatumKind::Minimum;
      else if (*word == "relative")
        entry.datum = DatumKind::Relative;
      else
        t.fail("datum", "expected \"first\", \"minimum\", \"relative\" or a level, not \"" + *word + "\"");
    }
  }
  return entry;
}

// A date as text ("2023-05-01 00:00", or a TOML date-time), or a number.
std::optional<RunTime> run_time(const Table& t, std::string_view key) {
  const toml::node* node = t.find(key);
  if (!node) return std::nullopt;
  if (node->is_number()) return RunTime(*t.number(key));
  if (node->is_string()) return RunTime(*node->value<std::string>());
  std::ostringstream text;
  if (const auto* when = node->as_date_time()) text << when->get();
  if (const auto* day = node->as_date()) text << day->get();
  if (!text.str().empty()) return RunTime(text.str());
  t.fail(key, "expected a date such as \"2023-05-01 00:00\" or a number in the time unit");
}

double duration(const Table& t, std::string_view key, double seconds_per_unit) {
  const toml::node* node = t.find(key);
  double seconds = 0.0;
  if (node->is_number()) {
    seconds = *t.number(key) * seconds_per_unit;
  } else if (node->is_string()) {
    const std::optional<double> s = duration_seconds(*node->value<std::string>());
    if (!s) t.fail(key, "expected a length of time such as \"15 min\", \"1 h\", \"1 d\" or a number in the time unit");
    seconds = *s;
  } else {
    t.fail(key, "expected a length of time such as \"15 min\" or a number in the time unit");
  }
  if (!(seconds > 0.0) || !std::isfinite(seconds)) t.fail(key, "must be a positive length of time");
  return seconds;
}

void read_units(const Table& top, CaseFile& c) {
  const toml::table* units = sub_table(top, "units");
  if (!units) return;
  const Table t(*units, "units", c.shown_name);
  t.allow_only({"length", "time"});
  if (const auto length = t.string("length")) {
    if (length->empty() || length->size() > kLongestUnitName || length->find_first_of(" ,\"\t") != std::string::npos)
      t.fail("length", "expected a short unit name such as \"m\" or \"ft\"");
    c.length_unit = *length;
  }
  if (const auto time = t.string("time")) {
    const std::optional<double> seconds = unit_seconds(*time);
    if (!seconds) t.fail("time", "expected \"s\", \"min\", \"h\" or \"d\"");
    c.time_unit = *time;
    c.seconds_per_time_unit = *seconds;
  }
}

// The aquifer by name: type, extent, streambank and the values.
void read_aquifer(const toml::table& table, CaseFile& c) {
  const Table t(table, "aquifer", c.shown_name);
  t.allow_only({"type", "width", "streambank_leakance", "stream_half_width", "stream_length", "conductivity",
                "specific_storage", "thickness", "aquitard_conductivity", "aquitard_specific_storage",
                "aquitard_thickness", "aquitard_specific_yield"});
  Deck& d = c.aquifer;
  const std::optional<std::string> type = t.string("type");
  if (!type)
    t.missing("type", "\"confined\", \"leaky-constant-head\", \"leaky-impervious-layer\" or \"leaky-water-table\"");
  constexpr std::pair<std::string_view, int> kTypes[] = {
      {"confined", 0}, {"leaky-constant-head", 1}, {"leaky-impervious-layer", 2}, {"leaky-water-table", 3}};
  d.IAQ = -1;
  for (const auto& [name, code] : kTypes)
    if (*type == name) d.IAQ = code;
  if (d.IAQ < 0)
    t.fail("type",
           "expected \"confined\", \"leaky-constant-head\", \"leaky-impervious-layer\" or \"leaky-water-table\"");

  auto required = [&](std::string_view key, const char* what) {
    const std::optional<double> v = t.number(key);
    if (!v) t.missing(key, what);
    return *v;
  };
  d.XZERO = required("stream_half_width", "half the stream's width, in the length unit");
  d.XSTREAM = required("stream_length", "the length of the stream reach");
  d.AK = required("conductivity", "the aquifer's hydraulic conductivity");
  d.AS = required("specific_storage", "the aquifer's specific storage");
  d.AB = required("thickness", "the aquifer's saturated thickness");
  if (const auto width = t.number("width")) {
    d.IXL = 1;
    d.XLL = *width;
  }
  if (const auto leakance = t.number("streambank_leakance")) {
    d.IXA = 1;
    d.XAA = *leakance;
  }
  // An aquitard value the type does not use would be ignored without a word.
  constexpr std::string_view kAquitard[] = {"aquitard_conductivity", "aquitard_specific_storage", "aquitard_thickness"};
  for (std::string_view key : kAquitard)
    if (d.IAQ == 0 && t.find(key)) t.fail(key, "a confined aquifer has no aquitard");
  if (d.IAQ != 3 && t.find("aquitard_specific_yield"))
    t.fail("aquitard_specific_yield", "only a leaky-water-table aquifer's aquitard has a specific yield");
  if (d.IAQ >= 1) {
    d.AKT = required("aquitard_conductivity", "the aquitard's vertical hydraulic conductivity");
    d.AST = required("aquitard_specific_storage", "the aquitard's specific storage");
    d.ABT = required("aquitard_thickness", "the aquitard's saturated thickness");
  }
  if (d.IAQ == 3) d.ASYT = required("aquitard_specific_yield", "the aquitard's specific yield");
}

void read_run(const Table& top, CaseFile& c, const std::filesystem::path& folder) {
  const toml::table* run = sub_table(top, "run");
  if (!run) throw CaseError(c.shown_name, 0, "missing [run] with the model's step");
  const Table t(*run, "run", c.shown_name);
  t.allow_only({"step", "start", "end", "origin", "inversion", "max_gap", "zone", "ns", "results", "write_deck",
                "report", "plot"});
  if (!t.find("step")) t.missing("step", "the model's time step, such as \"15 min\" or \"1 h\"");
  c.step_seconds = duration(t, "step", c.seconds_per_time_unit);
  c.step_line = t.line("step");
  if (t.find("max_gap")) c.max_gap_seconds = duration(t, "max_gap", c.seconds_per_time_unit);
  c.start = run_time(t, "start");
  c.end = run_time(t, "end");
  c.origin = run_time(t, "origin");
  c.start_line = t.line("start");
  c.end_line = t.line("end");
  c.origin_line = t.line("origin");
  if (const auto inversion = t.string("inversion")) {
    if (*inversion == "contour")
      c.inversion = InversionMethod::Contour;
    else if (*inversion == "stehfest")
      c.inversion = InversionMethod::Stehfest;
    else
      t.fail("inversion", "expected \"contour\" or \"stehfest\", not \"" + *inversion + "\"");
  }
  if (const auto zone = t.string("zone")) {
    check_zone(t, "zone", *zone);
    c.zone = *zone;
  }
  if (const toml::node* ns = t.find("ns")) {
    if (!ns->is_integer()) t.fail("ns", "expected a whole number from 2 to " + std::to_string(NSMAX));
    const std::int64_t n = *ns->value<std::int64_t>();
    if (n < 2 || n > NSMAX) t.fail("ns", "expected a whole number from 2 to " + std::to_string(NSMAX));
    c.aquifer.NS = static_cast<int>(n);
  }
  if (const auto results = t.string("results")) {
    if (results->empty()) t.fail("results", "expected a file name");
    c.results = folder / *results;
  } else {
    c.results = folder / "results.csv";
  }
  if (const auto deck = t.string("write_deck")) {
    if (deck->empty()) t.fail("write_deck", "expected a file name");
    c.write_deck = folder / *deck;
  }
  // The report and plot file of old, of the deck the case became.
  for (const auto& [key, path] : {std::pair{"report", &c.report}, std::pair{"plot", &c.plot}}) {
    if (const auto name = t.string(key)) {
      if (name->empty()) t.fail(key, "expected a file name");
      *path = folder / *name;
    }
  }
}

// toml++ 3.3 meets some characters beyond ASCII outside strings with an
// "unreachable" branch of its tables (undefined behaviour: an é in a key is
// one), and a table heading without a name ("[=") with a failed assertion.
// Such text is refused here first, naming its line: only strings and
// comments may hold characters beyond ASCII. A quote opens a string where toml++ starts a token
// with it; within a bare token (120"x") toml++ reads on, and so does this.
// After the '[' of a heading (and blanks, a second '[' and blanks): a name
// starts, bare or quoted, or the heading ends.
bool heading_named(std::string_view heading) {
  std::size_t at = heading.find_first_not_of(" \t", 1);
  if (at != std::string_view::npos && heading[at] == '[') at = heading.find_first_not_of(" \t", at + 1);
  if (at == std::string_view::npos) return true;  // the text ends: toml++ says so
  const char c = heading[at];
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '"' || c == '\'' || c == ']' ||
         c == '\n' || c == '\r';
}

void check_ascii_outside_strings(std::string_view text, const std::string& shown_name) {
  enum class In { Value, Basic, Literal, MultiBasic, MultiLiteral, Comment } in = In::Value;
  constexpr std::string_view kTokenStarts = " \t\r\n=[,{.";
  int line = 1;
  char before = '\n';      // the character before, in values
  bool line_start = true;  // only blanks before on this line
  int equals_on_line = 0;  // outside strings
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto starts = [&](std::string_view s) { return text.substr(i, s.size()) == s; };
    if (c == '\n') {
      ++line;
      line_start = true;
      equals_on_line = 0;
    }
    switch (in) {
      case In::Value: {
        // '=' starts a value where it ends the line's key, not within a value.
        const bool token_start =
            kTokenStarts.find(before) != std::string_view::npos && (before != '=' || equals_on_line == 1);
        if (c == '=') ++equals_on_line;
        if (c == '[' && line_start && !heading_named(text.substr(i)))
          throw CaseError(shown_name, line, "a table heading needs a name, such as [run]");
        line_start = line_start && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
        before = c;
        if (token_start && starts("\"\"\"")) {
          in = In::MultiBasic;
          i += 2;
        } else if (token_start && starts("\'\'\'")) {
          in = In::MultiLiteral;
          i += 2;
        } else if (token_start && c == '"') {
          in = In::Basic;
        } else if (token_start && c == '\'') {
          in = In::Literal;
        } else if (c == '#') {
          in = In::Comment;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
          throw CaseError(shown_name, line,
                          "a character beyond ASCII outside quotes; only strings and comments may hold one");
        }
        break;
      }
      case In::Basic:
      case In::MultiBasic:
        if (c == '\\') {
          // Every escape is ASCII; after a backslash toml++ asks whether the
          // next character is a blank, which meets the same flaw.
          // A backslash that ends a line skips the blanks and line ends after
          // it, and the first character after them meets that question too.
          std::size_t next = i + 1;
          int lines_on = 0;
          if (in == In::MultiBasic)
            for (; next < text.size() && std::string_view(" \t\r\n").find(text[next]) != std::string_view::npos; ++next)
              lines_on += text[next] == '\n' ? 1 : 0;
          if (next < text.size() && static_cast<unsigned char>(text[next]) >= 0x80)
            throw CaseError(shown_name, line + lines_on,
                            "a character beyond ASCII right after a backslash: no escape is written so");
          if (i + 1 < text.size() && text[i + 1] != '\n') ++i;
        } else if (in == In::Basic && (c == '"' || c == '\n')) {
          in = In::Value;
        } else if (in == In::MultiBasic && starts("\"\"\"")) {
          in = In::Value;
          i += 2;
        }
        break;
      case In::Literal:
        if (c == '\'' || c == '\n') in = In::Value;
        break;
      case In::MultiLiteral:
        if (starts("\'\'\'")) {
          in = In::Value;
          i += 2;
        }
        break;
      case In::Comment:
        if (c == '\n') {
          in = In::Value;
          before = '\n';
        }
        break;
    }
  }
}

bool reader_faults(std::string_view text) {
  try {
    (void)toml::parse(text);
  } catch (const TomlReaderFault&) {
    return true;
  } catch (const toml::parse_error&) {
  }
  return false;
}

// The first line whose text, read up to its end, trips the reader: the lines
// before it read alike in every longer text.
int faulty_line(std::string_view text) {
  std::vector<std::size_t> ends;
  for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
    ends.push_back(at + 1);
  ends.push_back(text.size());
  std::size_t lo = 0, hi = ends.size() - 1;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (reader_faults(text.substr(0, ends[mid])))
      hi = mid;
    else
      lo = mid + 1;
  }
  return static_cast<int>(lo) + 1;
}

toml::table parsed_toml(std::string_view text, const std::string& shown_name) {
  try {
    return toml::parse(text, shown_name);
  } catch (const toml::parse_error& e) {
    throw CaseError(shown_name, static_cast<int>(e.source().begin.line), std::string(e.description()));
  } catch (const TomlReaderFault&) {
    throw CaseError(shown_name, faulty_line(text), "is not TOML: a value, key or heading here is malformed");
  }
}

}  // namespace

std::optional<double> unit_seconds(std::string_view unit) {
  constexpr std::pair<std::string_view, double> kUnits[] = {{"s", 1.0}, {"min", 60.0}, {"h", 3600.0}, {"d", 86400.0}};
  for (const auto& [name, seconds] : kUnits)
    if (unit == name) return seconds;
  return std::nullopt;
}

std::optional<double> duration_seconds(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const std::optional<double> count = number_in(text.substr(0, blank));
  std::string_view unit = text.substr(blank + 1);
  while (!unit.empty() && unit.front() == ' ') unit.remove_prefix(1);
  const std::optional<double> seconds = unit_seconds(unit);
  if (!count || !seconds) return std::nullopt;
  return *count * *seconds;
}

CaseFile parse_case_file(std::string_view text, const std::string& shown_name, const std::filesystem::path& folder) {
  text = checked_text(text, shown_name, kCaseFileBounds);
  check_ascii_outside_strings(text, shown_name);
  const toml::table root = parsed_toml(text, shown_name);
  CaseFile c;
  c.shown_name = shown_name;
  const Table top(root, "", shown_name);
  top.allow_only({"title", "units", "deck", "x", "hinit", "aquifer", "stage", "recharge", "run"});
  c.title = top.string("title").value_or("");
  read_units(top, c);
  if (const auto deck = top.string("deck")) {
    if (deck->empty()) top.fail("deck", "expected a file name");
    if (top.find("aquifer")) top.fail("deck", "give the aquifer either as a deck or as [aquifer], not both");
    c.deck = *deck;
    c.deck_path = folder / *deck;
    c.deck_line = top.line("deck");
  } else if (const toml::table* aquifer = sub_table(top, "aquifer")) {
    read_aquifer(*aquifer, c);
  } else {
    throw CaseError(shown_name, 0, "missing [aquifer] (or deck = \"...\" to take the aquifer from a deck)");
  }
  c.x = top.number("x");
  c.hinit = top.number("hinit");
  if (!c.x && c.deck.empty()) top.missing("x", "the distance from the stream centre to the observation well");

  // The run's zone is the default of the records'.
  read_run(top, c, folder);
  for (const std::string_view key : {"stage", "recharge"}) {
    if (const toml::table* table = sub_table(top, key)) {
      RecordEntry entry = read_record_entry(*table, key, shown_name, folder, c.zone);
      (key == "stage" ? c.stage : c.recharge) = std::move(entry);
    }
  }
  if (!c.stage && !c.recharge)
    throw CaseError(shown_name, 0, "missing [stage] or [recharge]: nothing drives the model");
  return c;
}

CaseFile read_case_file(const std::filesystem::path& path) {
  const std::string shown = path.string();
  return parse_case_file(read_text_file(path, shown, kCaseFileBounds), shown, path.parent_path());
}

}  // namespace kesta
