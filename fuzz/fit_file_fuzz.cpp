// kesta-fit's fit file reader on arbitrary text. Every input ends in one of
// two ways:
//  - a fit file whose every entry holds what the fit relies on: a deck or a case, at
//    least one record with a file and a kind, at least one parameter, finite
//    bounds in order with the initial value between them, positive values on
//    a log scale, and magnitudes within what a fit can square;
//  - a FitInputError that names the fit file, with a place and a reason.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fit/input/fit_file.hpp"
#include "fit/input/input_limits.hpp"
#include "kesta/fit.hpp"

namespace {

using kesta::FitInputError;
using kesta::fit_detail::FitFile;
using kesta::fit_detail::kLargestMagnitude;

void require(bool holds) {
  if (!holds) std::abort();
}

void check_number(const std::optional<double>& v) {
  if (v) require(std::isfinite(*v) && std::abs(*v) <= kLargestMagnitude);
}

void check(const FitFile& f) {
  // A deck or a case, never both; dates only beside a case.
  require(f.deck.empty() != f.case_name.empty() && !f.observations.empty() && !f.parameters.empty());
  require(f.max_iterations >= 1 && f.starts >= 1);
  for (const auto& o : f.observations) {
    require(!o.file.empty() && o.line > 0);
    check_number(o.distance);
    require(!(o.distance && o.kind == kesta::fit_detail::Kind::Seepage));
    require(f.case_name.empty() ? !o.layout.dated_keys() : true);
    require(o.layout.time_position >= 1 && o.layout.value_position >= 1);
    check_number(o.layout.start_time);
    check_number(o.layout.end_time);
  }
  for (const auto& p : f.parameters) {
    require(p.info != nullptr);
    check_number(p.initial);
    check_number(p.min);
    check_number(p.max);
    if (p.min && p.max) require(*p.min < *p.max);
    if (p.initial && p.min) require(*p.initial >= *p.min);
    if (p.initial && p.max) require(*p.initial <= *p.max);
    if (p.info->scale == kesta::Scale::Log)
      for (const auto& v : {p.initial, p.min, p.max})
        if (v) require(*v >= kesta::fit_detail::kSmallestMagnitude);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    check(kesta::fit_detail::parse_fit_file(text, "fit.toml", "folder"));
  } catch (const FitInputError& e) {
    const std::string_view what = e.what();
    require(what.substr(0, 8) == "fit.toml" && what.size() > 10 && e.line() >= 0);
  }
  return 0;
}
