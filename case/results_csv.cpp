#include "case/results_csv.hpp"

#include <charconv>
#include <cmath>
#include <optional>

namespace kesta {
namespace {

void append_number(std::string& out, double v) {
  char text[32];
  out.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

}  // namespace

std::string results_csv(const CaseRun& run, const Results& results) {
  std::string out;
  for (const std::string& line : run.summary) out += "# " + line + "\n";
  const std::string& L = run.length_unit;
  const std::string& T = run.time_unit;
  out += "time (" + T + ")";
  if (run.origin) out += ",date";
  out += ",head (" + L + "),seepage (" + L + "^2/" + T + "),total seepage (" + L + "^3/" + T + "),bank storage (" + L +
         "^2),bank-storage volume (" + L + "^3)\n";
  // The date of a row from the model time since the first row, so that the
  // dates of a dated run fall on the step boundaries to the millisecond.
  const double millis_per_unit = run.seconds_per_time_unit * 1000.0;
  const double tinit = run.deck.TINIT;
  // A row is about 150 bytes (25 of them the date); the text is made once.
  constexpr std::size_t kRowBytes = 128, kDateBytes = 32;
  out.reserve(out.size() + results.time.size() * (kRowBytes + (run.origin ? kDateBytes : 0)));
  std::optional<IsoWriter> dates;
  if (run.origin) dates.emplace(*run.zone);
  for (std::size_t k = 0; k < results.time.size(); ++k) {
    append_number(out, results.time[k]);
    if (run.origin) {
      const double since = std::round((tinit + static_cast<double>(k) * run.deck.DELT) * millis_per_unit);
      out += ',';
      dates->append(out, *run.origin + std::chrono::milliseconds(static_cast<long long>(since)));
    }
    for (const auto* series :
         {&results.head, &results.seepage, &results.total_seepage, &results.bank_storage, &results.bank_volume}) {
      out += ',';
      append_number(out, (*series)[k]);
    }
    out += '\n';
  }
  return out;
}

}  // namespace kesta
