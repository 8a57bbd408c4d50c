#include "input/input_phase.hpp"

#include "input/deck_reader.hpp"
#include "input/input_summary.hpp"

namespace kesta {

Outcome read_input_deck(ModelState& state, Units& units) {
  // The banner box heads the report even when the deck proves unreadable.
  write_banner_box(units.report);
  int IPRINT = 0;  // a line 3 that gives no printing code means "not printed"
  if (auto stop = read_deck(state, units, IPRINT)) return stop;
  return write_input_summary(state, IPRINT, units.report);
}

}  // namespace kesta
