#include "fit/case/fit_case.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "fit/estimation/number_text.hpp"
#include "fit/input/input_limits.hpp"
#include "kesta/fit.hpp"

namespace kesta::fit_detail {

namespace {

// An observation this little outside the computed times is rounding in the
// CSV (8.000000001 for 8), and takes the end value.
constexpr double kTimeSlack = 1e-9;

// Columns of a deck's title line that are its title.
constexpr std::size_t kTitleWidth = 70;

// The title is columns 1 to 70 of the deck's first two lines, and the deck
// reader keeps only those; what a line holds beyond them kesta ignores, but it
// is the user's text. The lines as written go into the fitted deck, which
// kesta then reads to the same title. Nothing when the line is no longer than
// the title, or too long to be a deck line worth copying.
std::optional<std::string> whole_line(std::FILE* deck, bool first) {
  std::string line;
  int c = 0;
  while ((c = std::fgetc(deck)) != EOF && c != '\n') {
    if (line.size() == kLongestLine) return std::nullopt;
    line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
  if (line.size() <= kTitleWidth) return std::nullopt;
  return line;
}

void keep_whole_titles(const std::filesystem::path& path, Deck& deck) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  if (const auto line = whole_line(file, true)) deck.TITLE1 = *line;
  if (const auto line = whole_line(file, false)) deck.TITLE2 = *line;
  (void)std::fclose(file);
}

void check_steps(const FitFile& file, const Deck& deck, const std::string& shown);

Deck read_checked_deck(const FitFile& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file.deck_path, ec))
    throw FitInputError(file.shown_name, file.deck_line, "deck: '" + file.deck + "' is not a readable file");
  const std::string shown = file.deck_path.string();
  Deck deck;
  try {
    deck = read_deck(file.deck_path);
  } catch (const DeckError& e) {
    // The reader's message names the deck's line and file itself.
    if (e.line() > 0) throw FitInputError::located(shown, e.line(), e.what());
    throw FitInputError(shown, 0, e.what());
  } catch (const std::exception& e) {
    throw FitInputError(shown, 0, e.what());
  }
  check_steps(file, deck, shown);
  keep_whole_titles(file.deck_path, deck);
  return deck;
}

// The case's deck, its inversion the fit's unless the fit file chooses one.
PreparedCase read_checked_case(FitFile& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file.case_path, ec))
    throw FitInputError(file.shown_name, file.case_line, "case: '" + file.case_name + "' is not a readable file");
  PreparedCase prepared;
  try {
    prepared = kesta::read_case(file.case_path);
  } catch (const CaseError& e) {
    // The case reader's message names its file and line itself.
    throw FitInputError::located(e.file(), e.line(), e.what());
  } catch (const std::exception& e) {
    throw FitInputError(file.case_path.string(), 0, e.what());
  }
  if (!file.inversion_chosen) file.inversion = prepared.options.inversion;
  check_steps(file, prepared.deck, file.case_path.string());
  return prepared;
}

// A deck of more steps than the fit's inversion takes is refused at its NT,
// and so is one of fewer than a fit needs or one the model refuses.
void check_steps(const FitFile& file, const Deck& deck, const std::string& shown) {
  const bool from_case = !file.case_name.empty();
  // A deck of more steps than the fit's inversion takes is refused at its NT,
  // as the reader refuses a deck no inversion takes; for the Stehfest sum the
  // message names the inversion that takes it.
  const int limit = step_limit(file.inversion);
  if (deck.NT > limit) {
    std::string message = (from_case ? shown + ": the case makes " : "line 10 of " + shown + ": ") +
                          "NT = " + std::to_string(deck.NT) + " is greater than " + std::to_string(limit);
    if (deck.NT <= NTLIMIT_CONTOUR)
      message += " (the Stehfest sum's limit; inversion = \"contour\" takes up to " + std::to_string(NTLIMIT_CONTOUR) +
                 " steps)";
    throw FitInputError::located(shown, from_case ? 0 : 10, message);
  }
  if (const auto problem = first_problem(deck, SimulateOptions{file.inversion}))
    throw FitInputError(shown, 0, *problem);
  if (deck.NT < 2)
    throw FitInputError(shown, 0,
                        std::string(from_case ? "the case makes " : "the deck computes ") +
                            std::to_string(std::max(deck.NT, 0)) + " time steps (NT); a fit needs at least two");
}

// A model time, with its date when the fit has a calendar.
std::string time_text(double time, const CaseCalendar* calendar) {
  return calendar ? shortest(time) + " (" + calendar->date_of(time) + ")" : shortest(time);
}

void check_times(const std::vector<CsvObservation>& rows, const std::string& shown, const Deck& deck,
                 const CaseCalendar* calendar) {
  const double first = deck.TINIT;
  const double last = deck.TINIT + (deck.NT - 1) * deck.DELT;
  const double slack = kTimeSlack * std::max(deck.DELT, std::abs(last));
  for (const CsvObservation& row : rows) {
    if (row.time < first - slack || row.time > last + slack)
      throw FitInputError(shown, row.line,
                          "time " + time_text(row.time, calendar) + " lies outside the computed times " +
                              time_text(first, calendar) + " to " + time_text(last, calendar) +
                              (calendar ? " (the case's run; start and end on the observation entry leave readings "
                                          "out)"
                                        : " (TINIT to TINIT + (NT - 1)*DELT of the deck)"));
  }
}

// A time text quoted back in a message: short, and only printable ASCII.
std::string quoted_time(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  }
  return out + (text.size() > kShown ? "...'" : "'");
}

std::string date_forms(const RecordLayout& layout) {
  if (!layout.format.empty()) return "in the form \"" + layout.format + "\" (the entry's format)";
  return "in ISO 8601 (such as 2023-05-01T01:07:00+02:00, 2023-05-01 01:07 or 2023-05-01)";
}

// The case's calendar reading one record's dates, in the entry's format and
// zone; without a case, nothing (the record's reader refuses a date itself).
DateReader date_reader(const PreparedCase* prepared, const RecordLayout& layout, const std::string& shown) {
  if (!prepared) return {};
  const CaseCalendar& calendar = prepared->calendar;
  return [&calendar, &layout, shown](std::string_view text, int line) -> double {
    if (!calendar.dated())
      throw FitInputError(shown, line,
                          "the time " + quoted_time(text) +
                              " is a date, but the case has no calendar: its records' times are numbers and its "
                              "[run] gives no origin");
    std::optional<double> time;
    try {
      time = calendar.model_time_of(text, layout.format, layout.zone);
    } catch (const CaseError& e) {
      throw FitInputError(shown, line, e.what());
    }
    if (!time)
      throw FitInputError(shown, line, "the time " + quoted_time(text) + " is not a date " + date_forms(layout));
    return *time;
  };
}

// The entry's keys for dates checked against the case before a record is
// read, at their lines in the fit file: a calendar there, a zone it knows.
void check_date_keys(const ObservationEntry& entry, const FitFile& file, const PreparedCase* prepared) {
  const RecordLayout& l = entry.layout;
  if (!prepared || !l.dated_keys()) return;
  const int line = !l.format.empty()       ? l.format_line
                   : !l.zone.empty()       ? l.zone_line
                   : !l.start_date.empty() ? l.start_line
                                           : l.end_line;
  if (!prepared->calendar.dated())
    throw FitInputError(file.shown_name, line,
                        "dates need a calendar, and the case " + file.case_name +
                            " has none: its records' times are numbers and its [run] gives no origin");
  if (l.zone.empty()) return;
  try {
    (void)prepared->calendar.model_time_of("2000-01-01", "", l.zone);
  } catch (const CaseError& e) {
    throw FitInputError(file.shown_name, l.zone_line, std::string("zone: ") + e.what());
  }
}

// A bound of the entry's window as a model time: given as one, or a date.
std::optional<double> bound_time(const std::optional<double>& time, const std::string& date, std::string_view key,
                                 int line, const RecordLayout& layout, const FitFile& file,
                                 const PreparedCase* prepared) {
  if (date.empty()) return time;
  const std::optional<double> t = prepared->calendar.model_time_of(date, "", layout.zone);
  if (!t)
    throw FitInputError(file.shown_name, line,
                        std::string(key) + ": " + quoted_time(date) + " is not a date " + date_forms(RecordLayout{}));
  return t;
}

// Readings outside the entry's start and end are left out of the fit.
void keep_window(std::vector<CsvObservation>& rows, const ObservationEntry& entry, const FitFile& file,
                 const PreparedCase* prepared) {
  const RecordLayout& l = entry.layout;
  const std::optional<double> start = bound_time(l.start_time, l.start_date, "start", l.start_line, l, file, prepared);
  const std::optional<double> end = bound_time(l.end_time, l.end_date, "end", l.end_line, l, file, prepared);
  if (!start && !end) return;
  if (start && end && !(*start < *end))
    throw FitInputError(file.shown_name, l.end_line,
                        "end: must be later than start (line " + std::to_string(l.start_line) + ")");
  std::erase_if(rows, [&](const CsvObservation& r) { return (start && r.time < *start) || (end && r.time > *end); });
  if (rows.empty())
    throw FitInputError(file.shown_name, entry.line, "file: '" + entry.file + "' has no reading between start and end");
}

// A record's name in the residuals and the picture: its file, and the value
// column the fit file names, since one file may hold several wells.
std::string set_name(const ObservationEntry& entry) {
  const RecordLayout& l = entry.layout;
  if (!l.columns_chosen) return entry.file;
  return entry.file + "[" + (l.value_name.empty() ? std::to_string(l.value_position) : l.value_name) + "]";
}

ObservationSet read_set(const ObservationEntry& entry, const FitFile& file, const Deck& deck,
                        const PreparedCase* prepared) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(entry.path, ec))
    throw FitInputError(file.shown_name, entry.line, "file: '" + entry.file + "' is not a readable file");
  ObservationSet set{set_name(entry), entry.kind, entry.distance.value_or(deck.X), {}};
  if (entry.kind == Kind::Head) {
    Deck at_well = deck;
    at_well.X = set.distance;
    if (const auto problem = first_problem(at_well, SimulateOptions{file.inversion})) {
      const int line = entry.distance ? entry.distance_line : entry.line;
      throw FitInputError(file.shown_name, line,
                          "distance " + shortest(set.distance) + " does not suit the deck: " + *problem);
    }
  }
  check_date_keys(entry, file, prepared);
  const std::string shown = entry.path.string();
  set.rows = read_observation_csv(entry.path, shown, entry.layout, date_reader(prepared, entry.layout, shown));
  keep_window(set.rows, entry, file, prepared);
  check_times(set.rows, shown, deck, prepared && prepared->calendar.dated() ? &prepared->calendar : nullptr);
  if (std::none_of(set.rows.begin(), set.rows.end(), [](const CsvObservation& r) { return r.weight > 0.0; }))
    throw FitInputError(entry.path.string(), 0, "every weight is zero: the record would count for nothing");
  return set;
}

// The deck must stay valid over the whole box of bounds, at every well.
void check_deck_at(const FitCase& c, const ParameterEntry& entry, std::string_view key, double value) {
  Deck deck = c.deck;
  deck.*(entry.info->field) = value;
  for (const ObservationSet& set : c.sets) {
    deck.X = set.distance;
    if (const auto problem = first_problem(deck, SimulateOptions{c.file.inversion}))
      throw FitInputError(c.file.shown_name, entry.line,
                          "parameters." + std::string(entry.info->name) + " " + std::string(key) + " = " +
                              shortest(value) + " makes the deck invalid: " + *problem);
  }
}

// The fit file's ns replaces the deck's NS before anything is computed.
void choose_ns(FitCase& c) {
  if (c.file.ns_choice == NsChoice::Deck) return;
  if (c.file.ns_choice == NsChoice::Given) {
    c.deck.NS = c.file.ns;
    if (const auto problem = first_problem(c.deck, SimulateOptions{c.file.inversion}))
      throw FitInputError(c.file.shown_name, c.file.ns_line, "ns = " + std::to_string(c.file.ns) + ": " + *problem);
    return;
  }
  try {
    c.ns_advice = recommend_ns(c.deck);
  } catch (const std::exception& e) {
    throw FitInputError(c.file.shown_name, c.file.ns_line, std::string("ns = \"auto\": ") + e.what());
  }
  c.deck.NS = c.ns_advice.NS;
}

FreeParameter free_parameter(const FitCase& c, const ParameterEntry& entry) {
  const ParameterInfo& info = *entry.info;
  if (const auto reason = unused_reason(info, c.deck)) throw FitInputError(c.file.shown_name, entry.line, *reason);
  FreeParameter p{std::string(info.name), info.scale, entry.initial.value_or(c.deck.*(info.field))};
  if (entry.min) p.min = *entry.min;
  if (entry.max) p.max = *entry.max;
  const std::string name = "parameters." + std::string(info.name);
  if (!entry.initial && (p.initial < p.min || p.initial > p.max))
    throw FitInputError(
        c.file.shown_name, entry.line,
        name + ": the deck's value " + shortest(p.initial) + " lies outside the bounds min ... max; give an initial");
  check_deck_at(c, entry, "initial", p.initial);
  if (entry.min) check_deck_at(c, entry, "min", *entry.min);
  if (entry.max) check_deck_at(c, entry, "max", *entry.max);
  return p;
}

}  // namespace

FitCase load_fit_case(FitFile file) {
  std::optional<PreparedCase> prepared;
  if (!file.case_name.empty()) prepared = read_checked_case(file);
  Deck deck = prepared ? prepared->deck : read_checked_deck(file);
  std::vector<ObservationSet> sets;
  for (const ObservationEntry& entry : file.observations)
    sets.push_back(read_set(entry, file, deck, prepared ? &*prepared : nullptr));
  FitCase c = assemble_fit_case(std::move(file), std::move(deck), std::move(sets));
  c.prepared = std::move(prepared);
  return c;
}

FitCase assemble_fit_case(FitFile file, Deck deck, std::vector<ObservationSet> sets) {
  FitCase c;
  c.file = std::move(file);
  c.deck = std::move(deck);
  c.sets = std::move(sets);
  choose_ns(c);
  for (const ParameterEntry& entry : c.file.parameters) c.parameters.push_back({entry.info, free_parameter(c, entry)});
  for (std::size_t s = 0; s < c.sets.size(); ++s) {
    const ObservationSet& set = c.sets[s];
    // Messages name a record as its input errors do: by its path.
    const std::string shown = s < c.file.observations.size() ? c.file.observations[s].path.string() : set.name;
    std::vector<std::size_t> counted;
    const std::size_t first = c.observed.value.size();
    for (const CsvObservation& row : set.rows) {
      if (row.weight > 0.0) counted.push_back(c.observed.value.size());
      c.observed.value.push_back(row.value);
      c.observed.weight.push_back(row.weight);
      c.observed.where.push_back(shown + ":" + std::to_string(row.line));
    }
    std::stable_sort(counted.begin(), counted.end(),
                     [&](std::size_t a, std::size_t b) { return set.rows[a - first].time < set.rows[b - first].time; });
    c.observed.sets.push_back(std::move(counted));
  }
  if (c.file.starts > 1) {
    for (const CaseParameter& parameter : c.parameters)
      if (const FreeParameter& p = parameter.free; !std::isfinite(p.min) || !std::isfinite(p.max))
        throw FitInputError(c.file.shown_name, c.file.starts_line,
                            "starts = " + std::to_string(c.file.starts) + ": parameters." + p.name +
                                " needs both min and max; the starts are spread over the bounds");
  }
  // Checked before solving: the solver would run, and only the covariance fail.
  const std::size_t n = c.observed.counted();
  if (n <= c.parameters.size())
    throw FitInputError(
        c.file.shown_name, 0,
        std::to_string(n) + " observations with a positive weight for " + std::to_string(c.parameters.size()) +
            " parameters: a fit needs more observations than parameters; add records or fix parameters");
  return c;
}

std::vector<FreeParameter> FitCase::free_parameters() const {
  std::vector<FreeParameter> out;
  for (const CaseParameter& p : parameters) out.push_back(p.free);
  return out;
}

}  // namespace kesta::fit_detail
