// kesta-fit's observation record reader on arbitrary text. The first byte
// chooses the layout: odd, the fit file's entry names the columns (time and
// value by position from the byte's bits, or the time by a header name) and
// dates are read by a calendar that takes "D" and a number of days; even, the
// usual time,value[,weight] without a calendar. Every input ends in one of two
// ways:
//  - observations, each with finite time, value and weight, the weight zero
//    or positive and every magnitude within what a fit can square, on lines
//    of the file in increasing order;
//  - a FitInputError that names the record, with a place and a reason.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fit/input/input_limits.hpp"
#include "fit/input/observation_csv.hpp"
#include "kesta/fit.hpp"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kesta::fit_detail::DateReader;
  using kesta::fit_detail::kLargestMagnitude;
  using kesta::fit_detail::RecordLayout;
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  RecordLayout layout;
  DateReader dates;
  if (choice & 1u) {
    layout.columns_chosen = true;
    layout.time_position = 1 + ((choice >> 1) & 3u);
    layout.value_position = 1 + ((choice >> 3) & 3u);
    if (choice & 32u) layout.time_name = "when";
    if (choice & 64u) layout.format = "D%d";
    // A stand-in calendar: "D" and a number of days; anything else refused.
    dates = [](std::string_view field, int line) -> double {
      const auto days =
          field.size() > 1 && field[0] == 'D' ? kesta::fit_detail::csv_number(field.substr(1)) : std::nullopt;
      if (!days) throw kesta::FitInputError("well.csv", line, "not a date");
      return *days;
    };
  }
  try {
    const auto rows = kesta::fit_detail::parse_observation_csv(text, "well.csv", layout, dates);
    require(!rows.empty());
    int line = 1;  // the header's
    for (const auto& r : rows) {
      require(std::isfinite(r.time) && std::isfinite(r.value) && std::isfinite(r.weight));
      require(r.weight == 0.0 || (r.weight >= kesta::fit_detail::kSmallestMagnitude && r.weight <= kLargestMagnitude));
      require(std::abs(r.value) <= kLargestMagnitude && std::abs(r.value) * r.weight <= kLargestMagnitude);
      require(r.line > line);
      line = r.line;
    }
  } catch (const kesta::FitInputError& e) {
    const std::string_view what = e.what();
    require(what.substr(0, 8) == "well.csv" && what.size() > 10 && e.line() >= 0);
  }
  return 0;
}
