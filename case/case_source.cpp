// Cases held in memory: the case file's text with its deck and records
// supplied by the caller. The records are written as a record file's lines
// and read by the file's own reader, so that their times, missing values,
// order, gaps and datum follow one set of rules; a message that names a line
// of such a record names the reading instead.
#include <cctype>
#include <charconv>
#include <cmath>

#include "case/case_error.hpp"
#include "case/case_file.hpp"
#include "case/case_run.hpp"
#include "case/prepared_of.hpp"
#include "kesta/case.hpp"

namespace kesta {
namespace {

std::string label_of(const RecordReadings& r, std::size_t position) {
  return r.label ? r.label(position) : std::to_string(position);
}

// Line n of the text holds reading n - 1: no header, no comment, one reading a line.
std::string record_text(const RecordReadings& r) {
  if (r.times.size() != r.values.size())
    throw CaseError(r.name, 0,
                    "holds " + std::to_string(r.times.size()) + " times and " + std::to_string(r.values.size()) +
                        " values; a record holds one of each per reading");
  std::string text;
  text.reserve(r.times.size() * 40);
  char number[32];
  for (std::size_t i = 0; i < r.times.size(); ++i) {
    const std::string& time = r.times[i];
    // Such a time would split or hide its line.
    if (time.find_first_of(",\n\r\"") != std::string::npos || (!time.empty() && time.front() == '#'))
      throw ReadingError(r.name, i, label_of(r, i), "the time '" + time + "' is not a time a record holds");
    text += time;
    text += ',';
    if (std::isnan(r.values[i]))
      text += "NaN";
    else
      text.append(number, std::to_chars(number, number + sizeof number, r.values[i]).ptr);
    text += '\n';
  }
  return text;
}

Record readings_record(const RecordReadings& r, const RecordLayout& given) {
  RecordLayout layout;
  layout.header = false;
  layout.zone = given.zone;
  layout.missing = given.missing;
  layout.missing_levels = given.missing_levels;
  return read_record(record_text(r), r.name, layout);
}

// Text about a record held in memory with its lines named as readings.
std::string readings_named(const std::string& text, const RecordReadings& r) {
  constexpr std::string_view kLine = "line ";
  std::string named;
  std::size_t at = 0;
  for (std::size_t found = text.find(kLine); found != std::string::npos; found = text.find(kLine, at)) {
    std::size_t end = found + kLine.size();
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    named += text.substr(at, found - at);
    at = end;
    const std::string digits = text.substr(found + kLine.size(), end - found - kLine.size());
    const std::size_t line = digits.empty() || digits.size() > 9 ? 0 : std::stoul(digits);
    named += line >= 1 && line <= r.times.size() ? "reading " + label_of(r, line - 1) : text.substr(found, end - found);
  }
  return named + text.substr(at);
}

[[noreturn]] void throw_for_reading(const CaseError& e, const RecordReadings& r) {
  const std::string prefix = e.line() > 0 ? r.name + ":" + std::to_string(e.line()) + ": " : r.name + ": ";
  const std::string message = std::string(e.what()).substr(prefix.size());
  if (e.line() <= 0) throw CaseError(r.name, 0, message);
  const auto position = static_cast<std::size_t>(e.line() - 1);
  throw ReadingError(r.name, position, label_of(r, position), readings_named(message, r));
}

// The run's account names the lines of each record ("stage ...: ...; ... (line
// 12)"): of records held in memory, the readings.
void name_readings(std::vector<std::string>& summary, const CaseSource& source) {
  for (std::string& line : summary) {
    std::string named;
    const RecordReadings* record = nullptr;
    for (std::size_t at = 0; at <= line.size();) {
      std::size_t end = line.find("; ", at);
      if (end == std::string::npos) end = line.size();
      const std::string part = line.substr(at, end - at);
      if (part.rfind("stage ", 0) == 0) record = source.stage ? &*source.stage : nullptr;
      if (part.rfind("recharge ", 0) == 0) record = source.recharge ? &*source.recharge : nullptr;
      named += (at == 0 ? "" : "; ") + (record ? readings_named(part, *record) : part);
      at = end + 2;
    }
    line = named;
  }
}

void check_supplied(const CaseFile& file, const CaseSource& source) {
  const auto check = [&](const auto& named, const auto& held, const std::string& key) {
    if (named && !held)
      throw CaseError(source.shown_name, named->line, "[" + key + "] names a record that was not given");
    if (!named && held)
      throw CaseError(source.shown_name, 0, "a " + key + " record is given but there is no [" + key + "]");
  };
  check(file.stage, source.stage, "stage");
  check(file.recharge, source.recharge, "recharge");
  if (!file.deck.empty() && !source.deck)
    throw CaseError(source.shown_name, file.deck_line, "deck: names a deck that was not given");
  if (file.deck.empty() && source.deck)
    throw CaseError(source.shown_name, 0, "a deck is given but the aquifer is [aquifer]; give deck = \"...\"");
}

}  // namespace

ReadingError::ReadingError(const std::string& record, std::size_t position, const std::string& label,
                           const std::string& message)
    : CaseError(record, 0, "reading " + label + ": " + message), position_(position), label_(label) {}

PreparedCase prepare_case(const CaseSource& source) {
  const CaseFile file = parse_case_file(source.text, source.shown_name, {});
  check_supplied(file, source);
  for (const auto* r : {&source.stage, &source.recharge})
    if (*r && (**r).name == source.shown_name)
      throw CaseError(source.shown_name, 0,
                      "a record is named as the case is: its messages would be taken for the case's");
  CaseInputs inputs;
  if (source.deck) inputs.deck = [&source] { return *source.deck; };
  inputs.record = [&source](const RecordEntry& entry, const std::string& which) {
    return readings_record(which == "stage" ? *source.stage : *source.recharge, entry.layout);
  };
  try {
    PreparedCase prepared = prepared_of(make_case_run(file, inputs));
    name_readings(prepared.summary, source);
    return prepared;
  } catch (const ReadingError&) {
    throw;
  } catch (const CaseError& e) {
    for (const auto* r : {&source.stage, &source.recharge})
      if (*r && e.file() == (**r).name) throw_for_reading(e, **r);
    throw;
  }
}

}  // namespace kesta
