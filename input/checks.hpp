#pragma once
// The checks of a deck's values, each with its message as the report prints it.
// The input summary echoes each value and then runs its check; the library runs
// the checks alone, in the same order.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// A failed check's message: its records as the report prints them.
using CheckMessage = std::vector<std::string>;
using Check = std::optional<CheckMessage> (*)(const Deck&);

// Whether the deck is refused by the Stehfest inversion for its NT alone and
// the contour inversion would take it: the rejection then says so.
bool contour_takes_steps(const Deck& d, InversionMethod inversion);

// In the order the report meets them; the step count, at most the inversion's
// step limit, comes before the summary.
std::optional<CheckMessage> check_step_count(const Deck& d, InversionMethod inversion = InversionMethod::Stehfest);
std::optional<CheckMessage> check_stress_type(const Deck& d);          // ISTRESS 0..2
std::optional<CheckMessage> check_recharge(const Deck& d);             // recharge needs a water-table aquitard
std::optional<CheckMessage> check_time_step(const Deck& d);            // DELT > 0
std::optional<CheckMessage> check_printing(const Deck& d);             // IPRINT 0 or 1
std::optional<CheckMessage> check_extent(const Deck& d);               // IXL 0 or 1
std::optional<CheckMessage> check_aquifer_type(const Deck& d);         // IAQ 0..3
std::optional<CheckMessage> check_streambank(const Deck& d);           // IXA 0 or 1
std::optional<CheckMessage> check_half_width(const Deck& d);           // XZERO > 0
std::optional<CheckMessage> check_width(const Deck& d);                // XLL > 0, when IXL = 1
std::optional<CheckMessage> check_width_beyond_bank(const Deck& d);    // XLL > XZERO, when IXL = 1
std::optional<CheckMessage> check_leakance(const Deck& d);             // XAA > 0, when IXA = 1
std::optional<CheckMessage> check_stream_length(const Deck& d);        // XSTREAM > 0
std::optional<CheckMessage> check_aquifer(const Deck& d);              // AK, AS, AB > 0
std::optional<CheckMessage> check_aquitard(const Deck& d);             // AKT, AST, ABT > 0, when IAQ >= 1
std::optional<CheckMessage> check_specific_yield(const Deck& d);       // ASYT > 0, when IAQ = 3
std::optional<CheckMessage> check_well_outside_stream(const Deck& d);  // X >= XZERO
std::optional<CheckMessage> check_well_inside_aquifer(const Deck& d);  // X <= XLL, when IXL = 1
std::optional<CheckMessage> check_terms(const Deck& d);                // NS 2..20

// The checks the input summary runs, in the order it meets them, each after
// the values it echoes; first_failed_check runs them in the same order.
inline constexpr std::array<Check, 18> kChecksInReportOrder = {
    check_stress_type,
    check_recharge,
    check_time_step,
    check_printing,
    check_extent,
    check_aquifer_type,
    check_streambank,
    check_half_width,
    check_width,
    check_width_beyond_bank,
    check_leakance,
    check_stream_length,
    check_aquifer,
    check_aquitard,
    check_specific_yield,
    check_well_outside_stream,
    check_well_inside_aquifer,
    check_terms,
};

// The checks of one deck taken one at a time, in the report's order, as the
// summary echoes the values between them. A check whose value the deck's codes
// switch off passes.
class CheckWalk {
 public:
  explicit CheckWalk(const Deck& deck) : deck_(deck) {}
  std::optional<CheckMessage> next() { return kChecksInReportOrder.at(next_++)(deck_); }
  bool done() const { return next_ == kChecksInReportOrder.size(); }

 private:
  const Deck& deck_;
  std::size_t next_ = 0;
};

// The message of the first check the deck fails, in the report's order; a deck
// built in code is also checked for series shorter than NT and, before the
// report's checks, for a value the model uses that is not a finite number.
std::optional<CheckMessage> first_failed_check(const Deck& d, InversionMethod inversion = InversionMethod::Stehfest);

// The words of a message on one line, as the library gives them.
std::string message_text(const CheckMessage& message);

}  // namespace kesta
