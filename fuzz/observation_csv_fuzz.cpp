// kesta-fit's observation record reader on arbitrary text. Every input ends
// in one of two ways:
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
  using kesta::fit_detail::kLargestMagnitude;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const auto rows = kesta::fit_detail::parse_observation_csv(text, "well.csv");
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
