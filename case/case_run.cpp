#include "case/case_run.hpp"

#include <charconv>
#include <cmath>

#include "case/case_error.hpp"
#include "case/steps.hpp"
#include "case/text_file.hpp"
#include "kesta/kesta.hpp"

namespace kesta {
namespace {

// The Stehfest terms of the deck a case becomes, for the legacy engine and
// the deck's checks; the contour inversion does not use them.
constexpr int kCaseNs = 14;
// Without max_gap, a stretch between readings is bridged up to this many
// steps, or this many of the record's usual spacings when those are longer.
constexpr double kDefaultGapSteps = 4.0;
constexpr double kMillisPerSecond = 1000.0;
// Steps a run may hold beyond a whole number before rounding makes one more.
constexpr double kStepSlack = 1e-9;

std::string shortest(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// A level in the run's account, to six significant digits.
std::string brief(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6).ptr);
}

std::string fitted(std::string text) {
  text.resize(70, ' ');
  return text;
}

std::string plural(int n, const std::string& word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// A length of time in the words a case uses.
std::string duration_text(double seconds) {
  constexpr std::pair<double, const char*> kUnits[] = {{86400.0, "d"}, {3600.0, "h"}, {60.0, "min"}};
  for (const auto& [unit, name] : kUnits)
    if (seconds >= unit && std::fmod(seconds, unit) == 0.0) return shortest(seconds / unit) + " " + name;
  return shortest(seconds) + " s";
}

struct LoadedRecord {
  const RecordEntry* entry = nullptr;
  std::string which;  // "stage" or "recharge"
  Record record;
};

class CaseBuilder {
 public:
  CaseBuilder(const CaseFile& c, const CaseInputs& inputs) : c_(c), inputs_(inputs) {}

  CaseRun build() {
    CaseRun run;
    run.inputs.emplace_back(c_.shown_name);
    run.deck = aquifer(run);
    run.inversion = c_.inversion;
    run.zone = date::locate_zone(c_.zone);
    run.seconds_per_time_unit = c_.seconds_per_time_unit;
    run.length_unit = c_.length_unit;
    run.time_unit = c_.time_unit;
    run.results = c_.results;
    run.write_deck = c_.write_deck;
    run.report = c_.report;
    run.plot = c_.plot;
    zone_ = run.zone;

    std::vector<LoadedRecord> records;
    for (const auto& [entry, which] : {std::pair{&c_.stage, "stage"}, std::pair{&c_.recharge, "recharge"}}) {
      if (!*entry) continue;
      const RecordEntry& e = **entry;
      const std::string shown = e.path.string();
      if (inputs_.record) {
        records.push_back({&e, which, inputs_.record(e, which)});
        continue;
      }
      run.inputs.push_back(e.path);
      records.push_back({&e, which, read_record(read_text_file(e.path, shown, kRecordBounds), shown, e.layout)});
    }
    dated_ = records.front().record.dated;
    for (const LoadedRecord& r : records)
      if (r.record.dated != dated_)
        throw CaseError(c_.shown_name, r.entry->line,
                        r.which + ": its times are " + (r.record.dated ? "dates" : "numbers") +
                            " where the other record's are not; both must be dates or both numbers");
    axis_per_second_ = dated_ ? kMillisPerSecond : 1.0 / c_.seconds_per_time_unit;
    const double step = c_.step_seconds * axis_per_second_;
    span(records);

    StepRule rule;
    rule.start = start_;
    rule.step = step;
    const double steps = (end_ - start_) / step;
    if (steps + kStepSlack < 1.0)
      throw CaseError(c_.shown_name, c_.step_line,
                      "the run from " + time_text(start_) + " to " + time_text(end_) + " is shorter than one step");
    // The most any inversion takes; the Stehfest sum's own limit is its
    // simulation's to refuse, naming the inversion that takes more.
    if (std::floor(steps + kStepSlack) + 1.0 > NTLIMIT_CONTOUR)
      throw CaseError(c_.shown_name, c_.step_line,
                      "the run needs more than " + std::to_string(NTLIMIT_CONTOUR) +
                          " time steps, the most a deck takes; a longer step or a shorter run");
    rule.count = static_cast<int>(std::floor(steps + kStepSlack)) + 1;
    Deck& d = run.deck;
    d.NT = rule.count;
    d.DELT = c_.step_seconds / c_.seconds_per_time_unit;
    d.TINIT = dated_ ? 0.0 : start_;
    d.TIME.resize(static_cast<std::size_t>(d.NT));
    for (int k = 0; k < d.NT; ++k) d.TIME[static_cast<std::size_t>(k)] = d.TINIT + k * d.DELT;
    d.STAGE.assign(static_cast<std::size_t>(d.NT), 0.0);
    d.RECH.assign(static_cast<std::size_t>(d.NT), 0.0);
    d.ISTRESS = c_.stage && c_.recharge ? 2 : (c_.stage ? 0 : 1);

    run.summary.push_back(run_line(rule));
    const auto text = [this](double t) { return time_text(t); };
    for (const LoadedRecord& r : records) {
      const double gap_default = std::max(kDefaultGapSteps * step, kDefaultGapSteps * usual_spacing(r.record.readings));
      rule.max_gap = c_.max_gap_seconds ? *c_.max_gap_seconds * axis_per_second_ : gap_default;
      const double datum = datum_of(*r.entry, r.record, rule.start, end_of(rule));
      const StepSeries series = to_steps(r.record, datum, rule, text);
      (r.which == std::string("stage") ? d.STAGE : d.RECH) = series.values;
      run.summary.push_back(record_line(r, series, datum, rule));
    }
    if (dated_) {
      run.origin = Instant(std::chrono::milliseconds(static_cast<long long>(start_)));
    } else if (c_.origin) {
      run.origin = origin_instant();
    }
    run.summary.push_back(zone_line(records));
    return run;
  }

 private:
  Deck aquifer(CaseRun& run) const {
    Deck d = c_.aquifer;
    if (!c_.deck.empty()) {
      if (!inputs_.deck) run.inputs.push_back(c_.deck_path);
      try {
        d = inputs_.deck ? inputs_.deck() : read_deck(c_.deck_path);
      } catch (const DeckError& e) {
        throw CaseError(c_.shown_name, c_.deck_line, "deck \"" + c_.deck + "\": " + e.what());
      }
      if (c_.aquifer.NS != 0) d.NS = c_.aquifer.NS;
    } else if (d.NS == 0) {
      d.NS = kCaseNs;
    }
    d.TITLE1 = fitted(c_.title);
    d.TITLE2 = fitted("From the case " + std::filesystem::path(c_.shown_name).filename().string());
    d.IPRINT = 0;
    if (c_.x) d.X = *c_.x;
    if (c_.hinit) d.HINIT = *c_.hinit;
    return d;
  }

  double end_of(const StepRule& rule) const { return rule.start + (rule.count - 1) * rule.step; }

  // The run's start and end: as given, else the span all records cover.
  void span(const std::vector<LoadedRecord>& records) {
    start_ = records.front().record.readings.front().time;
    end_ = records.front().record.readings.back().time;
    for (const LoadedRecord& r : records) {
      start_ = std::max(start_, r.record.readings.front().time);
      end_ = std::min(end_, r.record.readings.back().time);
    }
    if (c_.start) start_ = given_time(*c_.start, c_.start_line, "start");
    if (c_.end) end_ = given_time(*c_.end, c_.end_line, "end");
    if (!(end_ > start_))
      throw CaseError(c_.shown_name, c_.end ? c_.end_line : c_.start_line,
                      "the run ends at " + time_text(end_) + ", not after its start " + time_text(start_));
  }

  double given_time(const RunTime& t, int line, const std::string& key) const {
    if (const double* number = std::get_if<double>(&t)) {
      if (dated_)
        throw CaseError(c_.shown_name, line,
                        "run." + key + ": the records are dated; give a date such as \"2023-05-01 00:00\"");
      return *number;
    }
    if (!dated_)
      throw CaseError(c_.shown_name, line,
                      "run." + key + ": the records' times are numbers; give a number in the time unit");
    return static_cast<double>(date_of(std::get<std::string>(t), line, key).time_since_epoch().count());
  }

  Instant date_of(const std::string& text, int line, const std::string& key) const {
    LocalTimeNotes notes;
    const std::optional<Instant> t = TimeReader("", c_.zone).read(text, std::nullopt, line, notes);
    if (!t)
      throw CaseError(c_.shown_name, line,
                      "run." + key + ": '" + text + "' is not a date in ISO 8601 (2023-05-01T01:07:00+02:00, " +
                          "2023-05-01 01:07 or 2023-05-01)");
    return *t;
  }

  Instant origin_instant() const {
    const RunTime& t = *c_.origin;
    if (!std::holds_alternative<std::string>(t))
      throw CaseError(c_.shown_name, c_.origin_line, "run.origin: expected the date of time 0, such as \"2020-06-01\"");
    return date_of(std::get<std::string>(t), c_.origin_line, "origin");
  }

  double datum_of(const RecordEntry& e, const Record& r, double from, double to) const {
    switch (e.datum) {
      case DatumKind::First: return level_at(r.readings, from);
      case DatumKind::Minimum: return lowest_level(r.readings, from, to);
      case DatumKind::Number: return e.datum_level;
      case DatumKind::Relative: break;
    }
    return 0.0;
  }

  std::string time_text(double t) const {
    if (dated_) return iso_text(Instant(std::chrono::milliseconds(static_cast<long long>(std::llround(t)))), *zone_);
    return shortest(t) + " " + c_.time_unit;
  }

  std::string run_line(const StepRule& rule) const {
    return plural(rule.count, "step") + " of " + duration_text(c_.step_seconds) + " from " + time_text(rule.start) +
           " to " + time_text(end_of(rule)) + ", model time " + shortest(dated_ ? 0.0 : rule.start) + " " +
           c_.time_unit + " at the start";
  }

  std::string record_line(const LoadedRecord& r, const StepSeries& s, double datum, const StepRule& rule) const {
    std::string line = r.which + " " + r.entry->file + ": " + plural(s.readings_used, "reading") + " used, " +
                       plural(s.gaps_bridged, "gap") + " bridged (max_gap " +
                       duration_text(rule.max_gap / axis_per_second_) + "), " +
                       plural(r.record.missing, "missing value") + " in the record";
    if (r.entry->datum != DatumKind::Relative) line += ", levels less " + brief(datum) + " " + c_.length_unit;
    line +=
        "; largest difference between a reading and its steps " + brief(s.largest_difference) + " " + c_.length_unit;
    if (s.largest_difference_line > 0) line += " (line " + std::to_string(s.largest_difference_line) + ")";
    return line;
  }

  std::string zone_line(const std::vector<LoadedRecord>& records) const {
    std::string line;
    if (!dated_) {
      line = "times are numbers in " + c_.time_unit;
      if (c_.origin) line += "; dates from the origin " + time_text_of(origin_instant());
      return line + "; dates written in " + c_.zone;
    }
    for (const LoadedRecord& r : records) {
      const LocalTimeNotes& n = r.record.local_times;
      line += (line.empty() ? "" : "; ") + r.which + " times without an offset in " + r.record.zone;
      if (n.skipped > 0)
        line += ", " + plural(n.skipped, "local time") +
                " in a daylight-saving gap moved on by the gap (first at line " + std::to_string(n.first_skipped_line) +
                ")";
      if (n.repeated > 0)
        line += ", " + plural(n.repeated, "local time") + " in a repeated hour (first at line " +
                std::to_string(n.first_repeated_line) + ")";
    }
    // The library cannot always tell the system database's version.
    const std::string version = zone_database_version();
    return line + "; dates written in " + c_.zone + " (" +
           (version == "unknown" ? std::string("the system's tz database") : "tz database " + version) + ")";
  }

  std::string time_text_of(Instant t) const { return iso_text(t, *zone_); }

  const CaseFile& c_;
  const CaseInputs& inputs_;
  const date::time_zone* zone_ = nullptr;
  bool dated_ = false;
  double axis_per_second_ = 1.0;
  double start_ = 0.0, end_ = 0.0;
};

}  // namespace

CaseRun make_case_run(const CaseFile& file, const CaseInputs& inputs) { return CaseBuilder(file, inputs).build(); }

}  // namespace kesta
