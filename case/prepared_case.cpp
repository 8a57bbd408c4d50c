// The library's face of a case: the case file read and made into its deck,
// and its calendar.
#include <cmath>
#include <stdexcept>

#include "case/calendar_state.hpp"
#include "case/case_file.hpp"
#include "case/case_run.hpp"
#include "case/prepared_of.hpp"
#include "case/results_csv.hpp"

namespace kesta {
namespace {

constexpr double kMillisPerSecond = 1000.0;

std::shared_ptr<const CaseCalendar::State> no_dates() {
  auto state = std::make_shared<CaseCalendar::State>();
  state->zone = date::locate_zone("UTC");
  return state;
}

CaseRun run_of(const PreparedCase& prepared, const CaseCalendar::State& state) {
  CaseRun run;
  run.deck = prepared.deck;
  run.inversion = prepared.options.inversion;
  run.origin = state.origin;
  run.zone = state.zone;
  run.seconds_per_time_unit = state.seconds_per_time_unit;
  run.length_unit = prepared.length_unit;
  run.time_unit = prepared.time_unit;
  run.summary = prepared.summary;
  return run;
}

}  // namespace

CaseCalendar::CaseCalendar() : state_(no_dates()) {}
CaseCalendar::CaseCalendar(std::shared_ptr<const State> state) : state_(std::move(state)) {}

bool CaseCalendar::dated() const { return state_->origin.has_value(); }
const std::string& CaseCalendar::zone() const { return state_->zone_name; }
double CaseCalendar::seconds_per_time_unit() const { return state_->seconds_per_time_unit; }

std::string CaseCalendar::date_of(double model_time) const {
  if (!state_->origin || !std::isfinite(model_time)) return {};
  const double millis = std::round(model_time * (state_->seconds_per_time_unit * kMillisPerSecond));
  return iso_text(*state_->origin + std::chrono::milliseconds(static_cast<long long>(millis)), *state_->zone);
}

std::optional<double> CaseCalendar::model_time_of(std::string_view text, const std::string& format,
                                                  const std::string& zone) const {
  if (!state_->origin) return std::nullopt;
  const std::string& zone_name = zone.empty() ? state_->zone_name : zone;
  std::optional<TimeReader> reader;
  try {
    reader.emplace(format, zone_name);
  } catch (const std::runtime_error&) {
    throw CaseError(zone_name, 0, "not a time zone the database knows");
  }
  LocalTimeNotes notes;
  const std::optional<Instant> instant = reader->read(text, std::nullopt, 0, notes);
  if (!instant) return std::nullopt;
  const auto since = std::chrono::duration<double, std::milli>(*instant - *state_->origin);
  return since.count() / (state_->seconds_per_time_unit * kMillisPerSecond);
}

PreparedCase prepared_of(CaseRun run) {
  auto state = std::make_shared<CaseCalendar::State>();
  state->origin = run.origin;
  state->zone = run.zone;
  state->zone_name = std::string(run.zone->name());
  state->seconds_per_time_unit = run.seconds_per_time_unit;
  PreparedCase prepared;
  prepared.deck = std::move(run.deck);
  prepared.options.inversion = run.inversion;
  prepared.calendar = CaseCalendar(std::move(state));
  prepared.length_unit = run.length_unit;
  prepared.time_unit = run.time_unit;
  prepared.summary = std::move(run.summary);
  prepared.results_file = run.results;
  prepared.deck_file = run.write_deck;
  prepared.inputs = std::move(run.inputs);
  return prepared;
}

PreparedCase read_case(const std::filesystem::path& path) { return prepared_of(make_case_run(read_case_file(path))); }

std::string case_results_csv(const PreparedCase& prepared, const Results& results) {
  return results_csv(run_of(prepared, prepared.calendar.state()), results);
}

}  // namespace kesta
