#include "report/results_report.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace kesta {
namespace {

// Rows are edited in batches on both cores, then written in step order.
constexpr int ROWS_PER_BATCH = 4096;
constexpr int PARALLEL_MIN_ROWS = 256;

// The time of step k from TINIT and DELT; the TIME column of the deck is not used.
double step_time(const ModelState& state, int k) { return static_cast<double>(k - 1) * state.DELT + state.TINIT; }

std::string report_row(const ModelState& state, int k) {
  return format_layout({X(1), D(13, 6), X(2), D(11, 5), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4)},
                       {step_time(state, k), state.HEAD[k], state.SEEP[k], state.SEEPT[k], state.BANK[k],
                        state.BANKV[k]})
      .front();
}

std::string plot_row(const ModelState& state, int k) {
  return format_layout({X(1), E(13, 6), X(2), E(11, 5), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4)},
                       {step_time(state, k), state.HEAD[k], state.SEEP[k], state.SEEPT[k], state.BANK[k],
                        state.BANKV[k]})
      .front();
}

}  // namespace

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

  std::vector<std::string> report_rows, plot_rows;
  for (int first = 1; first <= state.NT; first += ROWS_PER_BATCH) {
    const int count = std::min(ROWS_PER_BATCH, state.NT - first + 1);
    report_rows.assign(static_cast<std::size_t>(count), {});
    plot_rows.assign(IPLOT == 1 ? static_cast<std::size_t>(count) : 0, {});
#pragma omp parallel for schedule(static) if (count >= PARALLEL_MIN_ROWS)
    for (int r = 0; r < count; ++r) {
      report_rows[static_cast<std::size_t>(r)] = report_row(state, first + r);
      if (IPLOT == 1) plot_rows[static_cast<std::size_t>(r)] = plot_row(state, first + r);
    }
    // The report row of a step goes out before its plot row, both before the next step's.
    for (int r = 0; r < count; ++r) {
      units.report.write_record(report_rows[static_cast<std::size_t>(r)]);
      if (IPLOT == 1) units.plot.write_record(plot_rows[static_cast<std::size_t>(r)]);
    }
  }
}

}  // namespace kesta
