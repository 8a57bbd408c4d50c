#pragma once
// The deck's units of length and time, and the unit of every quantity that
// kesta-plot shows. KESTA converts no units: the deck's own are the results'.
#include <stdexcept>
#include <string>
#include <string_view>

#include "plot/plot_file.hpp"

namespace kesta::plot {

// Units written for a picture ("m²/d") or for a plain-text table ("m^2/d").
enum class UnitStyle { Picture, Ascii };

struct Units {
  std::string length = "L";
  std::string time = "T";

  // The unit of a plot-file column: T time, H length, SEEP length²/time,
  // SEEPT length³/time, BANK length², BANKV length³.
  std::string of(Column c, UnitStyle style = UnitStyle::Picture) const;
};

class UnitsError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// "LENGTH,TIME", e.g. "m,d" or "ft,min": two names of at most kUnitNameMax
// bytes of printable text (UTF-8 allowed), without blanks, commas or double quotes.
inline constexpr std::size_t kUnitNameMax = 12;
Units parse_units(std::string_view text);

// The two names checked as parse_units checks them, for units given apart
// (a fit file's units table).
Units checked_units(std::string_view length, std::string_view time);

// Text made fit for a picture: valid UTF-8 is kept, control characters and
// bytes that are not UTF-8 become '?'.
std::string printable_utf8(std::string_view text);

}  // namespace kesta::plot
