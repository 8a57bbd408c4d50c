#include "report/dimensionless_block.hpp"

namespace kesta {

void write_dimensionless_block(const Deck& deck, const Derived& d, OutputUnit& report) {
  report.write({Slash, Slash, X(14), Lit("DIMENSIONLESS PARAMETERS (CALCULATED BY"), Lit(" PROGRAM)"), Slash, X(14),
                Lit("-----------------------------------"), Lit("-------------"), Slash});
  report.write({X(2), Lit(" DIMENSIONLESS DISTANCE TO WELL (XD): "), X(20), D(10, 3)}, {d.XD});
  report.write({X(2), Lit(" DIMENSIONLESS DISTANCE TO STREAMBANK (XZEROD): "), X(10), D(10, 3)}, {d.XZEROD});
  if (deck.IXL == 0) report.write({X(2), Lit(" DIMENSIONLESS WIDTH OF AQUIFER (XLLD): "), X(19), Lit(" INFINITE")});
  if (deck.IXL == 1) report.write({X(2), Lit(" DIMENSIONLESS WIDTH OF AQUIFER (XLLD): "), X(18), D(10, 3)}, {d.XLLD});
  report.write({X(2), Lit(" DIMENSIONLESS STREAMBANK LEAKANCE (XAAD): "), X(15), D(10, 3)}, {d.XAAD});
  report.write({X(2), Lit(" DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER"), Slash, X(5), Lit(" STORATIVITY (SIGMA1): "),
                X(32), D(10, 3)},
               {d.SIGMA1});
  report.write({X(2), Lit(" DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER HYDRAULIC"), Slash, X(5),
                Lit(" CONDUCTIVITY (GAMMA1): "), X(31), D(10, 3)},
               {d.GAMMA1});
  report.write({X(2), Lit(" DIMENSIONLESS RATIO OF AQUIFER STORATIVITY"), Slash, X(5),
                Lit(" TO AQUITARD SPECIFIC YIELD (SIGMAP): "), X(17), D(10, 3)},
               {d.SIGMAP});
}

}  // namespace kesta
