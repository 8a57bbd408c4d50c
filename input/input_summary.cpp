#include "input/input_summary.hpp"

#include <array>

namespace kesta {
namespace {

constexpr std::string_view kBoxEdge = "      *****************************************************";
constexpr std::string_view kBoxSide = "      *                                                   *";

constexpr std::array<std::string_view, 3> kStressWords = {
    " (stream-stage fluctuations)", " (recharge/leakage)", " (stream-stage and recharge/leakage)"};
constexpr std::array<std::string_view, 2> kPrintWords = {" (stress data not printed)", " (stress data printed)"};
constexpr std::array<std::string_view, 2> kExtentWords = {" (semi infinite)", " (finite width)"};
constexpr std::array<std::string_view, 4> kAquiferWords = {
    " (confined)", " (leaky, with constant head)", " (leaky, with impervious layer)",
    " (leaky, with water-table aquitard)"};
constexpr std::array<std::string_view, 2> kStreambankWords = {" (semipervious streambank absent)",
                                                              " (semipervious streambank simulated)"};

// A code is valid when it indexes its table of words.
template <std::size_t N>
bool valid(int code, const std::array<std::string_view, N>&) {
  return code >= 0 && code < static_cast<int>(N);
}

// Writes a check's message; the run then stops like a normal end.
Outcome stop_with(OutputUnit& report, Layout message) {
  report.write(message);
  return rejected_stop(message_words(format_layout(message)));
}

Outcome summarise_codes(const ModelState& s, int IPRINT, OutputUnit& report) {
  if (!valid(s.ISTRESS, kStressWords))
    return stop_with(report, {X(2), Lit(" ISTRESS NOT EQUAL TO 0, 1, OR 2. PROGRAM STOPPED")});
  report.write({X(2), Lit(" STRESS TYPE (ISTRESS): "), X(10), I(5), Lit(kStressWords[s.ISTRESS])}, {s.ISTRESS});

  // Recharge and leakage act only through a water table over the aquitard; this
  // comes before the aquifer type itself is echoed.
  if ((s.ISTRESS == 1 || s.ISTRESS == 2) && s.IAQ != 3)
    return stop_with(report, {Slash, X(2), Lit(" ISTRESS EQUALS 1 OR 2 (RECHARGE) AND AQUIFER"),
                              Lit(" IS NOT LEAKY WITH WATER-TABLE"), Slash, X(2), Lit(" AQUITARD. RECHARGE IS"),
                              Lit(" SIMULATED ONLY WHEN A WATER TABLE IS PRESENT."), Slash, X(2),
                              Lit(" PROGRAM STOPPED.")});

  report.write({X(2), Lit(" TIME-STEP SIZE (DELT):"), X(12), D(12, 3), Lit(" (units of time)")}, {s.DELT});
  if (!(s.DELT > 0.0))
    return stop_with(report, {X(3), Lit("TIME-STEP SIZE (DELT) IS LESS THAN OR EQUAL TO ZERO. PROGRAM STOPPED.")});

  if (!valid(IPRINT, kPrintWords))
    return stop_with(report, {X(3), Lit("PRINTING CODE (IPRINT) IS INVALID. PROGRAM STOPPED.")});
  report.write({X(2), Lit(" PRINTING CODE (IPRINT): "), X(9), I(5), Lit(kPrintWords[IPRINT])}, {IPRINT});

  report.write({Slash, Lit(" AQUIFER AND STREAMBANK CHARACTERISTICS (INPUT LINES 4 AND 5)")});
  if (!valid(s.IXL, kExtentWords))
    return stop_with(report, {X(3), Lit("AQUIFER EXTENT (IXL) IS INVALID. PROGRAM STOPPED.")});
  report.write({X(2), Lit(" AQUIFER EXTENT (IXL): "), X(11), I(5), Lit(kExtentWords[s.IXL])}, {s.IXL});
  if (!valid(s.IAQ, kAquiferWords))
    return stop_with(report, {X(3), Lit("AQUIFER TYPE (IAQ) IS INVALID. PROGRAM STOPPED.")});
  report.write({X(2), Lit(" AQUIFER TYPE (IAQ): "), X(13), I(5), Lit(kAquiferWords[s.IAQ])}, {s.IAQ});
  if (!valid(s.IXA, kStreambankWords))
    return stop_with(report, {X(3), Lit("STREAMBANK CODE (IXA) INVALID. PROGRAM STOPPED.")});
  report.write({X(2), Lit(" STREAMBANK CODE (IXA): "), X(10), I(5), Lit(kStreambankWords[s.IXA])}, {s.IXA});
  return std::nullopt;
}

Outcome summarise_stream(const ModelState& s, OutputUnit& report) {
  report.write({X(2), Lit(" STREAM HALF WIDTH (XZERO): "), X(7), D(12, 3), Lit(" (units of length)")}, {s.XZERO});
  if (!(s.XZERO > 0.0))
    return stop_with(report, {X(3), Lit("STREAM HALF WIDTH (XZERO) IS LESS THAN OR EQUAL"),
                              Lit(" TO ZERO. PROGRAM STOPPED")});
  if (s.IXL == 1) {
    report.write({X(2), Lit(" WIDTH OF AQUIFER (XLL): "), X(10), D(12, 3), Lit(" (units of length)")}, {s.XLL});
    if (!(s.XLL > 0.0))
      return stop_with(report, {X(3), Lit("AQUIFER WIDTH (XLL) LESS THAN OR EQUAL TO ZERO."),
                                Lit(" PROGRAM STOPPED.")});
    // The far edge must lie beyond the streambank, or the model's exponentials overflow.
    if (!(s.XLL > s.XZERO))
      return stop_with(report, {X(3), Lit("AQUIFER WIDTH (XLL) IS NOT GREATER THAN THE STREAM HALF WIDTH (XZERO). "
                                          "PROGRAM STOPPED.")});
  }
  if (s.IXA == 1) {
    report.write({X(2), Lit(" STREAMBANK LEAKANCE (XAA): "), X(9), D(10, 3), Lit(" (units of length)")}, {s.XAA});
    if (!(s.XAA > 0.0))
      return stop_with(report, {X(3), Lit("STREAMBANK LEAKANCE (XAA) LESS THAN OR EQUAL"), Lit(" TO ZERO."), Slash,
                                X(5), Lit(" PROGRAM STOPPED.")});
  }
  report.write({X(2), Lit(" LENGTH OF STREAM (XSTREAM): "), X(6), D(12, 3), Lit(" (units of length)")}, {s.XSTREAM});
  if (!(s.XSTREAM > 0.0))
    return stop_with(report, {X(3), Lit("STREAM LENGTH (XSTREAM) IS LESS THAN OR EQUAL TO"),
                              Lit(" ZERO. PROGRAM STOPPED.")});
  return std::nullopt;
}

Outcome summarise_properties(const ModelState& s, OutputUnit& report) {
  report.write({Slash, Lit(" AQUIFER PROPERTIES (INPUT LINE 6) ")});
  report.write({X(2), Lit(" HYDRAULIC CONDUCTIVITY (AK): "), X(5), D(12, 3), Lit(" (units of length per time)")},
               {s.AK});
  report.write({X(2), Lit(" SPECIFIC STORAGE (AS): "), X(11), D(12, 3), Lit(" (units of inverse length)")}, {s.AS});
  report.write({X(2), Lit(" SATURATED THICKNESS (AB): "), X(8), D(12, 3), Lit(" (units of length)")}, {s.AB});
  if (s.AK <= 0.0 || s.AS <= 0.0 || s.AB <= 0.0)
    return stop_with(report, {X(3), Lit("A HYDRAULIC PROPERTY OF THE AQUIFER (INPUT LINE 6)"),
                              Lit(" IS LESS THAN OR"), Slash, X(5), Lit(" EQUAL TO ZERO. PROGRAM STOPPED.")});

  report.write({Slash, Lit(" AQUITARD PROPERTIES (INPUT LINE 7) ")});
  report.write({X(2), Lit(" HYDRAULIC CONDUCTIVITY (AKT): "), X(4), D(12, 3), Lit(" (units of length per time)")},
               {s.AKT});
  report.write({X(2), Lit(" SPECIFIC STORAGE (AST): "), X(10), D(12, 3), Lit(" (units of inverse length)")},
               {s.AST});
  report.write({X(2), Lit(" SATURATED THICKNESS (ABT): "), X(7), D(12, 3), Lit(" (units of length)")}, {s.ABT});
  report.write({X(2), Lit(" SPECIFIC YIELD (ASYT): "), X(11), D(12, 3), Lit(" (dimensionless)")}, {s.ASYT});
  if (s.IAQ >= 1 && (s.AKT <= 0.0 || s.AST <= 0.0 || s.ABT <= 0.0))
    return stop_with(report, {X(3), Lit("A HYDRAULIC PROPERTY OF THE AQUITARD (INPUT LINE 7)"),
                              Lit(" IS LESS THAN OR"), Slash, X(5), Lit(" EQUAL TO ZERO. PROGRAM STOPPED.")});
  if (s.IAQ == 3 && !(s.ASYT > 0.0))
    return stop_with(report, {X(3), Lit("SPECIFIC YIELD OF THE AQUITARD (ASYT) IS LESS THAN"), Lit(" OR EQUAL"),
                              Slash, X(5), Lit(" TO ZERO. PROGRAM STOPPED.")});
  return std::nullopt;
}

Outcome summarise_well_and_solution(const ModelState& s, OutputUnit& report) {
  report.write({Slash, Lit(" OBSERVATION WELL DATA AND INITIAL CONDITIONS (INPUT LINE 8)")});
  report.write({X(2), Lit(" DISTANCE TO OBSERVATION WELL (X): "), D(10, 3), Lit(" (units of length)")}, {s.X});
  // The model holds between the streambank and the far edge of the aquifer.
  if (!(s.X >= s.XZERO))
    return stop_with(report, {X(3), Lit("OBSERVATION WELL (X) LIES INSIDE THE STREAM (X LESS THAN XZERO). "
                                        "PROGRAM STOPPED.")});
  if (s.IXL == 1 && !(s.X <= s.XLL))
    return stop_with(report, {X(3), Lit("OBSERVATION WELL (X) LIES BEYOND THE AQUIFER WIDTH (XLL). PROGRAM STOPPED.")});
  report.write({X(2), Lit(" INITIAL HEAD AT WELL (HINIT): "), X(2), D(12, 3), Lit(" (units of length)")}, {s.HINIT});
  report.write({X(2), Lit(" START TIME OF SIMULATION (TINIT): "), D(10, 3), Lit(" (units of time)")}, {s.TINIT});

  report.write({Slash, Lit(" PROGRAM SOLUTION VARIABLES (INPUT LINE 9) ")});
  report.write({X(2), Lit(" NUMBER OF STEHFEST TERMS (NS): "), X(12), I(5)}, {s.NS});
  if (!(s.NS >= 2 && s.NS <= NSMAX))
    return stop_with(report, {X(3), Lit("NUMBER OF STEHFEST TERMS (NS) IS NOT FROM 2 TO 20. PROGRAM STOPPED.")});
  return std::nullopt;
}

void summarise_stress_data(const ModelState& s, int IPRINT, OutputUnit& report) {
  report.write({Slash, Slash, X(20), Lit("SUMMARY OF STRESS DATA"), Slash, X(20), Lit("----------------------")});
  report.write({Slash, X(2), Lit(" NUMBER OF SPECIFIED TIME STEPS (NT): "), X(9), I(5)}, {s.NT});
  if (IPRINT == 0) {
    report.write({X(2), Lit(" STRESS DATA NOT PRINTED ")});
    return;
  }
  report.write({Slash, X(10), Lit("TIME        STAGE         RECH"), Slash,
                Lit("          ----        -----         ----")});
  for (int i = 1; i <= s.NT; ++i) {
    const auto k = static_cast<std::size_t>(i);
    report.write({X(7), D(10, 4), X(3), D(10, 4), X(3), D(10, 4)}, {s.TIME[k], s.STAGE[k], s.RECH[k]});
  }
}

}  // namespace

void write_banner_box(OutputUnit& report) {
  report.write({Slash,
                X(10), Lit(kBoxEdge), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit("      *         ****  KELDERMOOR WATER BOARD  ****        *"), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit("      *          **** KESTA: PROGRAM OUTPUT ****          *"), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit("      * ONE-DIMENSIONAL MODEL OF STREAM-AQUIFER HYDRAULIC *"), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit("      *    INTERACTION FOR CONFINED AND LEAKY AQUIFERS    *"), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit("      *       BOUNDED BY A FULLY PENETRATING STREAM       *"), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit("      *           VERSION CURRENT AS OF 09/01/98          *"), Slash,
                X(10), Lit(kBoxSide), Slash,
                X(10), Lit(kBoxEdge), Slash,
                Slash});
}

Outcome write_input_summary(const ModelState& state, int IPRINT, OutputUnit& report) {
  report.write({X(5), A(70)}, {std::string_view(state.TITLE1)});
  report.write({X(5), A(70)}, {std::string_view(state.TITLE2)});
  report.write({Slash, Slash, X(20), Lit("SUMMARY OF INPUT DATA"), Slash, X(20), Lit("---------------------"), Slash});
  if (auto stop = summarise_codes(state, IPRINT, report)) return stop;
  if (auto stop = summarise_stream(state, report)) return stop;
  if (auto stop = summarise_properties(state, report)) return stop;
  if (auto stop = summarise_well_and_solution(state, report)) return stop;
  summarise_stress_data(state, IPRINT, report);
  return std::nullopt;
}

}  // namespace kesta
