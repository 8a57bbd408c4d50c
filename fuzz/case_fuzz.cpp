// The case file and dated-record readers on arbitrary text. The first byte
// chooses: even, the text is a case file; odd, it is a record, read with the
// layout the byte's other bits choose and made into steps. Every input ends in
// one of two ways:
//  - a case with a positive step and a record or two; or readings on lines in
//    increasing order, with increasing finite times and finite values, whose
//    steps are finite;
//  - a CaseError naming the file, with a place and a reason.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "case/case_error.hpp"
#include "case/case_file.hpp"
#include "case/dated_record.hpp"
#include "case/steps.hpp"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

// Steps over the record's first stretch, as many as its span allows up to a few hundred.
void check_steps(const kesta::Record& record) {
  const double first = record.readings.front().time;
  const double span = record.readings.back().time - first;
  if (!(span > 0.0) || !std::isfinite(span)) return;
  constexpr int kMostSteps = 300;
  const int count = std::min(kMostSteps, static_cast<int>(record.readings.size()) + 1);
  const kesta::StepRule rule{first, span / (count - 1), count, span};
  try {
    const kesta::StepSeries steps = kesta::to_steps(record, 0.0, rule, [](double t) { return std::to_string(t); });
    require(steps.values.size() == static_cast<std::size_t>(count));
    for (double v : steps.values) require(std::isfinite(v));
  } catch (const kesta::CaseError& e) {
    // Rounding may put the last step a hair beyond the last reading, and
    // levels near the largest double cannot be averaged.
    require(std::string_view(e.what()).substr(0, 5) == "r.csv");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    if (choice % 2 == 0) {
      const kesta::CaseFile c = kesta::parse_case_file(text, "c.toml", ".");
      require(c.step_seconds > 0.0 && (c.stage || c.recharge));
      return 0;
    }
    kesta::RecordLayout layout;
    if (choice & 2) layout.zone = "Europe/Amsterdam";
    if (choice & 4) layout.format = "%d/%m/%Y %H:%M";
    if (choice & 8) layout.delimiter = ';';
    if (choice & 16) layout.missing_levels = {-9999.0};
    const kesta::Record record = kesta::read_record(text, "r.csv", layout);
    require(record.readings.size() >= 2);
    for (std::size_t i = 0; i < record.readings.size(); ++i) {
      const kesta::Reading& r = record.readings[i];
      require(std::isfinite(r.time) && std::isfinite(r.value));
      if (i > 0) require(r.time > record.readings[i - 1].time && r.line > record.readings[i - 1].line);
    }
    check_steps(record);
  } catch (const kesta::CaseError& e) {
    const std::string_view what = e.what();
    require((what.substr(0, 6) == "c.toml" || what.substr(0, 5) == "r.csv") && e.line() >= 0);
  }
  return 0;
}
