#include "input/checks.hpp"

#include <cmath>
#include <string>

#include "io/layout.hpp"
#include "io/stop.hpp"

namespace kesta {
namespace {

std::optional<CheckMessage> fails(Layout message) { return format_layout(message); }

std::optional<CheckMessage> not_finite(const std::string& what) {
  return CheckMessage{what + " IS NOT A FINITE NUMBER. PROGRAM STOPPED."};
}

struct Value {
  bool used;
  const char* name;
  double value;
};

// A deck built in code may hold what no deck file can: a value the model uses
// that is not a finite number. Values the deck's codes switch off are not used.
std::optional<CheckMessage> check_finite_values(const Deck& d) {
  const Value values[] = {
      {true, "DELT", d.DELT},     {d.IXL == 1, "XLL", d.XLL},   {d.IXA == 1, "XAA", d.XAA},
      {true, "XZERO", d.XZERO},   {true, "XSTREAM", d.XSTREAM}, {true, "AK", d.AK},
      {true, "AS", d.AS},         {true, "AB", d.AB},           {d.IAQ >= 1, "AKT", d.AKT},
      {d.IAQ >= 1, "AST", d.AST}, {d.IAQ >= 1, "ABT", d.ABT},   {d.IAQ == 3, "ASYT", d.ASYT},
      {true, "X", d.X},           {true, "HINIT", d.HINIT},     {true, "TINIT", d.TINIT},
  };
  for (const Value& v : values)
    if (v.used && !std::isfinite(v.value)) return not_finite(v.name);
  // Stress type 0 uses the stage only, 1 the recharge only, 2 both.
  const auto lines = static_cast<std::size_t>(d.NT > 0 ? d.NT : 0);
  for (std::size_t i = 0; i < lines; ++i) {
    const char* name = d.ISTRESS != 1 && !std::isfinite(d.STAGE[i])  ? "STAGE"
                       : d.ISTRESS != 0 && !std::isfinite(d.RECH[i]) ? "RECH"
                                                                     : nullptr;
    if (name != nullptr) return not_finite(name + (" OF TIME-STRESS LINE " + std::to_string(i + 1)));
  }
  return std::nullopt;
}

}  // namespace

std::optional<CheckMessage> check_step_count(const Deck& d, InversionMethod inversion) {
  const int limit = step_limit(inversion);
  if (d.NT <= limit) return std::nullopt;
  const std::string text =
      "NUMBER OF SPECIFIED TIME STEPS (NT) IS GREATER THAN " + std::to_string(limit) + ". PROGRAM STOPPED.";
  return fails({X(3), Lit(text)});
}

bool contour_takes_steps(const Deck& d, InversionMethod inversion) {
  return inversion == InversionMethod::Stehfest && d.NT > NTLIMIT && d.NT <= NTLIMIT_CONTOUR;
}

std::optional<CheckMessage> check_stress_type(const Deck& d) {
  if (d.ISTRESS >= 0 && d.ISTRESS <= 2) return std::nullopt;
  return fails({X(2), Lit(" ISTRESS NOT EQUAL TO 0, 1, OR 2. PROGRAM STOPPED")});
}

// Recharge and leakage act only through a water table over the aquitard.
std::optional<CheckMessage> check_recharge(const Deck& d) {
  if (!((d.ISTRESS == 1 || d.ISTRESS == 2) && d.IAQ != 3)) return std::nullopt;
  return fails({Slash, X(2), Lit(" ISTRESS EQUALS 1 OR 2 (RECHARGE) AND AQUIFER"),
                Lit(" IS NOT LEAKY WITH WATER-TABLE"), Slash, X(2), Lit(" AQUITARD. RECHARGE IS"),
                Lit(" SIMULATED ONLY WHEN A WATER TABLE IS PRESENT."), Slash, X(2), Lit(" PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_time_step(const Deck& d) {
  if (d.DELT > 0.0) return std::nullopt;
  return fails({X(3), Lit("TIME-STEP SIZE (DELT) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_printing(const Deck& d) {
  if (d.IPRINT == 0 || d.IPRINT == 1) return std::nullopt;
  return fails({X(3), Lit("PRINTING CODE (IPRINT) IS INVALID. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_extent(const Deck& d) {
  if (d.IXL == 0 || d.IXL == 1) return std::nullopt;
  return fails({X(3), Lit("AQUIFER EXTENT (IXL) IS INVALID. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_aquifer_type(const Deck& d) {
  if (d.IAQ >= 0 && d.IAQ <= 3) return std::nullopt;
  return fails({X(3), Lit("AQUIFER TYPE (IAQ) IS INVALID. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_streambank(const Deck& d) {
  if (d.IXA == 0 || d.IXA == 1) return std::nullopt;
  return fails({X(3), Lit("STREAMBANK CODE (IXA) INVALID. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_half_width(const Deck& d) {
  if (d.XZERO > 0.0) return std::nullopt;
  return fails({X(3), Lit("STREAM HALF WIDTH (XZERO) IS LESS THAN OR EQUAL"), Lit(" TO ZERO. PROGRAM STOPPED")});
}

std::optional<CheckMessage> check_width(const Deck& d) {
  if (d.IXL != 1 || d.XLL > 0.0) return std::nullopt;
  return fails({X(3), Lit("AQUIFER WIDTH (XLL) LESS THAN OR EQUAL TO ZERO."), Lit(" PROGRAM STOPPED.")});
}

// The far edge must lie beyond the streambank, or the model's exponentials overflow.
std::optional<CheckMessage> check_width_beyond_bank(const Deck& d) {
  if (d.IXL != 1 || d.XLL > d.XZERO) return std::nullopt;
  return fails({X(3), Lit("AQUIFER WIDTH (XLL) IS NOT GREATER THAN THE STREAM HALF WIDTH (XZERO). PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_leakance(const Deck& d) {
  if (d.IXA != 1 || d.XAA > 0.0) return std::nullopt;
  return fails({X(3), Lit("STREAMBANK LEAKANCE (XAA) LESS THAN OR EQUAL"), Lit(" TO ZERO."), Slash, X(5),
                Lit(" PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_stream_length(const Deck& d) {
  if (d.XSTREAM > 0.0) return std::nullopt;
  return fails({X(3), Lit("STREAM LENGTH (XSTREAM) IS LESS THAN OR EQUAL TO"), Lit(" ZERO. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_aquifer(const Deck& d) {
  if (!(d.AK <= 0.0 || d.AS <= 0.0 || d.AB <= 0.0)) return std::nullopt;
  return fails({X(3), Lit("A HYDRAULIC PROPERTY OF THE AQUIFER (INPUT LINE 6)"), Lit(" IS LESS THAN OR"), Slash, X(5),
                Lit(" EQUAL TO ZERO. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_aquitard(const Deck& d) {
  if (!(d.IAQ >= 1 && (d.AKT <= 0.0 || d.AST <= 0.0 || d.ABT <= 0.0))) return std::nullopt;
  return fails({X(3), Lit("A HYDRAULIC PROPERTY OF THE AQUITARD (INPUT LINE 7)"), Lit(" IS LESS THAN OR"), Slash, X(5),
                Lit(" EQUAL TO ZERO. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_specific_yield(const Deck& d) {
  if (!(d.IAQ == 3 && !(d.ASYT > 0.0))) return std::nullopt;
  return fails({X(3), Lit("SPECIFIC YIELD OF THE AQUITARD (ASYT) IS LESS THAN"), Lit(" OR EQUAL"), Slash, X(5),
                Lit(" TO ZERO. PROGRAM STOPPED.")});
}

// The model holds between the streambank and the far edge of the aquifer.
std::optional<CheckMessage> check_well_outside_stream(const Deck& d) {
  if (d.X >= d.XZERO) return std::nullopt;
  return fails({X(3), Lit("OBSERVATION WELL (X) LIES INSIDE THE STREAM (X LESS THAN XZERO). PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_well_inside_aquifer(const Deck& d) {
  if (d.IXL != 1 || d.X <= d.XLL) return std::nullopt;
  return fails({X(3), Lit("OBSERVATION WELL (X) LIES BEYOND THE AQUIFER WIDTH (XLL). PROGRAM STOPPED.")});
}

std::optional<CheckMessage> check_terms(const Deck& d) {
  if (d.NS >= 2 && d.NS <= NSMAX) return std::nullopt;
  return fails({X(3), Lit("NUMBER OF STEHFEST TERMS (NS) IS NOT FROM 2 TO 20. PROGRAM STOPPED.")});
}

std::optional<CheckMessage> first_failed_check(const Deck& d, InversionMethod inversion) {
  if (auto message = check_step_count(d, inversion)) return message;
  // A deck read from a file always has them; one built in code may not.
  const auto nt = static_cast<std::size_t>(d.NT > 0 ? d.NT : 0);
  if (d.TIME.size() < nt || d.STAGE.size() < nt || d.RECH.size() < nt)
    return CheckMessage{"TIME, STAGE AND RECH HOLD FEWER THAN NT VALUES. PROGRAM STOPPED."};
  if (auto message = check_finite_values(d)) return message;
  for (const Check check : kChecksInReportOrder)
    if (auto message = check(d)) return message;
  return std::nullopt;
}

std::string message_text(const CheckMessage& message) { return message_words(message); }

}  // namespace kesta
