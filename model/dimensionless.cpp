#include "model/dimensionless.hpp"

#include <cmath>

namespace kesta {
namespace {

// Printed for a parameter whose feature the configuration switches off.
constexpr double GAMMA1_DEFAULT = 0.0001;
constexpr double SIGMA1_DEFAULT = 0.0001;

}  // namespace

TimeScales dimensionless_parameters(ModelState& state) {
  TimeScales scales;
  scales.XZERO2 = state.XZERO * state.XZERO;
  state.XD = state.X / state.XZERO;
  scales.XZEROD = state.XZERO / state.AB;

  state.XAAD = state.IXA == 1 ? state.XAA / state.XZERO : 0.0;
  state.XLLD = state.IXL == 1 ? state.XLL / state.XZERO : 0.0;

  if (state.IAQ >= 1) {
    state.GAMMA1 = (state.XZERO / state.ABT) * std::sqrt((state.AKT * state.ABT) / (state.AK * state.AB));
    state.SIGMA1 = (state.AST * state.ABT) / (state.AS * state.AB);
    state.SIGMAP = state.IAQ == 3 ? (state.AS * state.AB) / state.ASYT : 0.0;
  } else {
    state.GAMMA1 = GAMMA1_DEFAULT;
    state.SIGMA1 = SIGMA1_DEFAULT;
    state.SIGMAP = 0.0;
  }
  return scales;
}

void write_dimensionless_block(const ModelState& state, const TimeScales& scales, OutputUnit& report) {
  report.write({Slash, Slash, X(14), Lit("DIMENSIONLESS PARAMETERS (CALCULATED BY"), Lit(" PROGRAM)"), Slash,
                X(14), Lit("-----------------------------------"), Lit("-------------"), Slash});
  report.write({X(2), Lit(" DIMENSIONLESS DISTANCE TO WELL (XD): "), X(20), D(10, 3)}, {state.XD});
  report.write({X(2), Lit(" DIMENSIONLESS DISTANCE TO STREAMBANK (XZEROD): "), X(10), D(10, 3)},
               {scales.XZEROD});
  if (state.IXL == 0)
    report.write({X(2), Lit(" DIMENSIONLESS WIDTH OF AQUIFER (XLLD): "), X(19), Lit(" INFINITE")});
  if (state.IXL == 1)
    report.write({X(2), Lit(" DIMENSIONLESS WIDTH OF AQUIFER (XLLD): "), X(18), D(10, 3)}, {state.XLLD});
  report.write({X(2), Lit(" DIMENSIONLESS STREAMBANK LEAKANCE (XAAD): "), X(15), D(10, 3)}, {state.XAAD});
  report.write({X(2), Lit(" DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER"), Slash,
                X(5), Lit(" STORATIVITY (SIGMA1): "), X(32), D(10, 3)}, {state.SIGMA1});
  report.write({X(2), Lit(" DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER HYDRAULIC"), Slash,
                X(5), Lit(" CONDUCTIVITY (GAMMA1): "), X(31), D(10, 3)}, {state.GAMMA1});
  report.write({X(2), Lit(" DIMENSIONLESS RATIO OF AQUIFER STORATIVITY"), Slash,
                X(5), Lit(" TO AQUITARD SPECIFIC YIELD (SIGMAP): "), X(17), D(10, 3)}, {state.SIGMAP});
}

}  // namespace kesta
