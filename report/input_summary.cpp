#include "report/input_summary.hpp"

#include <array>

#include "input/checks.hpp"
#include "report/rejection.hpp"

namespace kesta {
namespace {

constexpr std::string_view kBoxEdge = "      *****************************************************";
constexpr std::string_view kBoxSide = "      *                                                   *";

constexpr std::array<std::string_view, 3> kStressWords = {" (stream-stage fluctuations)", " (recharge/leakage)",
                                                          " (stream-stage and recharge/leakage)"};
constexpr std::array<std::string_view, 2> kPrintWords = {" (stress data not printed)", " (stress data printed)"};
constexpr std::array<std::string_view, 2> kExtentWords = {" (semi infinite)", " (finite width)"};
constexpr std::array<std::string_view, 4> kAquiferWords = {" (confined)", " (leaky, with constant head)",
                                                           " (leaky, with impervious layer)",
                                                           " (leaky, with water-table aquitard)"};
constexpr std::array<std::string_view, 2> kStreambankWords = {" (semipervious streambank absent)",
                                                              " (semipervious streambank simulated)"};

// The words of a code that its check has let through.
template <std::size_t N>
std::string_view words(const std::array<std::string_view, N>& table, int code) {
  return table[static_cast<std::size_t>(code)];
}

Outcome summarise_codes(const Deck& s, CheckWalk& walk, OutputUnit& report) {
  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" STRESS TYPE (ISTRESS): "), X(10), I(5), Lit(words(kStressWords, s.ISTRESS))}, {s.ISTRESS});
  // Comes before the aquifer type itself is echoed.
  if (auto m = walk.next()) return reject(report, *m);

  report.write({X(2), Lit(" TIME-STEP SIZE (DELT):"), X(12), D(12, 3), Lit(" (units of time)")}, {s.DELT});
  if (auto m = walk.next()) return reject(report, *m);

  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" PRINTING CODE (IPRINT): "), X(9), I(5), Lit(words(kPrintWords, s.IPRINT))}, {s.IPRINT});

  report.write({Slash, Lit(" AQUIFER AND STREAMBANK CHARACTERISTICS (INPUT LINES 4 AND 5)")});
  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" AQUIFER EXTENT (IXL): "), X(11), I(5), Lit(words(kExtentWords, s.IXL))}, {s.IXL});
  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" AQUIFER TYPE (IAQ): "), X(13), I(5), Lit(words(kAquiferWords, s.IAQ))}, {s.IAQ});
  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" STREAMBANK CODE (IXA): "), X(10), I(5), Lit(words(kStreambankWords, s.IXA))}, {s.IXA});
  return std::nullopt;
}

Outcome summarise_stream(const Deck& s, CheckWalk& walk, OutputUnit& report) {
  report.write({X(2), Lit(" STREAM HALF WIDTH (XZERO): "), X(7), D(12, 3), Lit(" (units of length)")}, {s.XZERO});
  if (auto m = walk.next()) return reject(report, *m);
  // The width's checks and the leakance's pass when the codes switch them off.
  if (s.IXL == 1)
    report.write({X(2), Lit(" WIDTH OF AQUIFER (XLL): "), X(10), D(12, 3), Lit(" (units of length)")}, {s.XLL});
  if (auto m = walk.next()) return reject(report, *m);
  if (auto m = walk.next()) return reject(report, *m);
  if (s.IXA == 1)
    report.write({X(2), Lit(" STREAMBANK LEAKANCE (XAA): "), X(9), D(10, 3), Lit(" (units of length)")}, {s.XAA});
  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" LENGTH OF STREAM (XSTREAM): "), X(6), D(12, 3), Lit(" (units of length)")}, {s.XSTREAM});
  if (auto m = walk.next()) return reject(report, *m);
  return std::nullopt;
}

Outcome summarise_properties(const Deck& s, CheckWalk& walk, OutputUnit& report) {
  report.write({Slash, Lit(" AQUIFER PROPERTIES (INPUT LINE 6) ")});
  report.write({X(2), Lit(" HYDRAULIC CONDUCTIVITY (AK): "), X(5), D(12, 3), Lit(" (units of length per time)")},
               {s.AK});
  report.write({X(2), Lit(" SPECIFIC STORAGE (AS): "), X(11), D(12, 3), Lit(" (units of inverse length)")}, {s.AS});
  report.write({X(2), Lit(" SATURATED THICKNESS (AB): "), X(8), D(12, 3), Lit(" (units of length)")}, {s.AB});
  if (auto m = walk.next()) return reject(report, *m);

  report.write({Slash, Lit(" AQUITARD PROPERTIES (INPUT LINE 7) ")});
  report.write({X(2), Lit(" HYDRAULIC CONDUCTIVITY (AKT): "), X(4), D(12, 3), Lit(" (units of length per time)")},
               {s.AKT});
  report.write({X(2), Lit(" SPECIFIC STORAGE (AST): "), X(10), D(12, 3), Lit(" (units of inverse length)")}, {s.AST});
  report.write({X(2), Lit(" SATURATED THICKNESS (ABT): "), X(7), D(12, 3), Lit(" (units of length)")}, {s.ABT});
  report.write({X(2), Lit(" SPECIFIC YIELD (ASYT): "), X(11), D(12, 3), Lit(" (dimensionless)")}, {s.ASYT});
  if (auto m = walk.next()) return reject(report, *m);
  if (auto m = walk.next()) return reject(report, *m);
  return std::nullopt;
}

Outcome summarise_well_and_solution(const Deck& s, CheckWalk& walk, OutputUnit& report, InversionMethod inversion) {
  report.write({Slash, Lit(" OBSERVATION WELL DATA AND INITIAL CONDITIONS (INPUT LINE 8)")});
  report.write({X(2), Lit(" DISTANCE TO OBSERVATION WELL (X): "), D(10, 3), Lit(" (units of length)")}, {s.X});
  if (auto m = walk.next()) return reject(report, *m);
  if (auto m = walk.next()) return reject(report, *m);
  report.write({X(2), Lit(" INITIAL HEAD AT WELL (HINIT): "), X(2), D(12, 3), Lit(" (units of length)")}, {s.HINIT});
  report.write({X(2), Lit(" START TIME OF SIMULATION (TINIT): "), D(10, 3), Lit(" (units of time)")}, {s.TINIT});

  report.write({Slash, Lit(" PROGRAM SOLUTION VARIABLES (INPUT LINE 9) ")});
  report.write({X(2), Lit(" NUMBER OF STEHFEST TERMS (NS): "), X(12), I(5)}, {s.NS});
  // NS is checked all the same: the deck stays one the Stehfest sum can run.
  if (inversion == InversionMethod::Contour)
    report.write({X(2), Lit(" INVERTED BY THE CONTOUR INTEGRAL: NS IS NOT USED")});
  if (auto m = walk.next()) return reject(report, *m);
  return std::nullopt;
}

void summarise_stress_data(const Deck& s, OutputUnit& report) {
  report.write({Slash, Slash, X(20), Lit("SUMMARY OF STRESS DATA"), Slash, X(20), Lit("----------------------")});
  // A count of more than five digits takes room from the blanks before it, so
  // it ends in the same column as any other count.
  if (s.NT > NTLIMIT)
    report.write({Slash, X(2), Lit(" NUMBER OF SPECIFIED TIME STEPS (NT): "), X(6), I(8)}, {s.NT});
  else
    report.write({Slash, X(2), Lit(" NUMBER OF SPECIFIED TIME STEPS (NT): "), X(9), I(5)}, {s.NT});
  if (s.IPRINT == 0) {
    report.write({X(2), Lit(" STRESS DATA NOT PRINTED ")});
    return;
  }
  report.write(
      {Slash, X(10), Lit("TIME        STAGE         RECH"), Slash, Lit("          ----        -----         ----")});
  for (int i = 0; i < s.NT; ++i) {
    const auto k = static_cast<std::size_t>(i);
    report.write({X(7), D(10, 4), X(3), D(10, 4), X(3), D(10, 4)}, {s.TIME[k], s.STAGE[k], s.RECH[k]});
  }
}

}  // namespace

void write_banner_box(OutputUnit& report) {
  report.write({Slash, X(10), Lit(kBoxEdge),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit("      *         ****  KELDERMOOR WATER BOARD  ****        *"),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit("      *          **** KESTA: PROGRAM OUTPUT ****          *"),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit("      * ONE-DIMENSIONAL MODEL OF STREAM-AQUIFER HYDRAULIC *"),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit("      *    INTERACTION FOR CONFINED AND LEAKY AQUIFERS    *"),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit("      *       BOUNDED BY A FULLY PENETRATING STREAM       *"),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit("      *           VERSION CURRENT AS OF 09/01/98          *"),
                Slash, X(10), Lit(kBoxSide),
                Slash, X(10), Lit(kBoxEdge),
                Slash, Slash});
}

Outcome write_input_summary(const Deck& deck, OutputUnit& report, InversionMethod inversion) {
  report.write({X(5), A(70)}, {std::string_view(deck.TITLE1)});
  report.write({X(5), A(70)}, {std::string_view(deck.TITLE2)});
  report.write({Slash, Slash, X(20), Lit("SUMMARY OF INPUT DATA"), Slash, X(20), Lit("---------------------"), Slash});
  // The checks in their one order, taken in turn between the values they follow.
  CheckWalk walk(deck);
  if (auto stop = summarise_codes(deck, walk, report)) return stop;
  if (auto stop = summarise_stream(deck, walk, report)) return stop;
  if (auto stop = summarise_properties(deck, walk, report)) return stop;
  if (auto stop = summarise_well_and_solution(deck, walk, report, inversion)) return stop;
  summarise_stress_data(deck, report);
  return std::nullopt;
}

}  // namespace kesta
