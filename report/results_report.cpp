#include "report/results_report.hpp"

namespace kesta {

void write_results_heading(OutputUnit& report) {
  report.write({Slash, Slash, Slash, X(38), Lit("RESULTS"), Slash, X(38), Lit("-------"), Slash});
}

void write_results_table(const ModelState& state, int IPLOT, Units& units) {
  units.report.write({Slash, X(43), Lit("TOTAL"), X(7), Lit("BANK"), X(5), Lit("BANK-STORAGE"), Slash,
                      X(6), Lit("TIME"), X(9), Lit("HEAD"), X(7), Lit("SEEPAGE"), X(5), Lit("SEEPAGE"), X(5),
                      Lit("STORAGE"), X(6), Lit("VOLUME"), Slash,
                      X(6), Lit("(T)"), X(10), Lit("(L)"), X(8), Lit("(L**2/T)"), X(4), Lit("(L**3/T)"), X(5),
                      Lit("(L**2)"), X(6), Lit("(L**3)"), Slash,
                      X(6), Lit("----"), X(9), Lit("----"), X(6), Lit("----------"), X(2), Lit("----------"), X(4),
                      Lit("-------"), X(6), Lit("------")});
  if (IPLOT == 1)
    units.plot.write({X(8), Lit("T"), X(12), Lit("H"), X(10), Lit("SEEP"), X(8), Lit("SEEPT"), X(7), Lit("BANK"),
                      X(8), Lit("BANKV")});

  for (int k = 1; k <= state.NT; ++k) {
    // The time of step k from TINIT and DELT; the TIME column of the deck is not used.
    const double time = static_cast<double>(k - 1) * state.DELT + state.TINIT;
    units.report.write({X(1), D(13, 6), X(2), D(11, 5), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4)},
                       {time, state.HEAD[k], state.SEEP[k], state.SEEPT[k], state.BANK[k], state.BANKV[k]});
    if (IPLOT == 1)
      units.plot.write({X(1), E(13, 6), X(2), E(11, 5), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4)},
                       {time, state.HEAD[k], state.SEEP[k], state.SEEPT[k], state.BANK[k], state.BANKV[k]});
  }
}

}  // namespace kesta
