#include "report/results_report.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace kesta {
namespace {

// Rows are edited in batches on every core, then written in step order.
constexpr int ROWS_PER_BATCH = 4096;
constexpr int PARALLEL_MIN_ROWS = 256;

std::string report_row(const Results& r, std::size_t k) {
  return format_layout({X(1), D(13, 6), X(2), D(11, 5), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4)},
                       {r.time[k], r.head[k], r.seepage[k], r.total_seepage[k], r.bank_storage[k], r.bank_volume[k]})
      .front();
}

std::string plot_row(const Results& r, std::size_t k) {
  return format_layout({X(1), E(13, 6), X(2), E(11, 5), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4)},
                       {r.time[k], r.head[k], r.seepage[k], r.total_seepage[k], r.bank_storage[k], r.bank_volume[k]})
      .front();
}

}  // namespace

void write_results_heading(OutputUnit& report) {
  report.write({Slash, Slash, Slash, X(38), Lit("RESULTS"), Slash, X(38), Lit("-------"), Slash});
}

void write_results_table(const Results& results, OutputUnit& report, OutputUnit* plot) {
  report.write({Slash, X(43), Lit("TOTAL"), X(7), Lit("BANK"), X(5), Lit("BANK-STORAGE"), Slash,
                      X(6), Lit("TIME"), X(9), Lit("HEAD"), X(7), Lit("SEEPAGE"), X(5), Lit("SEEPAGE"), X(5),
                      Lit("STORAGE"), X(6), Lit("VOLUME"), Slash,
                      X(6), Lit("(T)"), X(10), Lit("(L)"), X(8), Lit("(L**2/T)"), X(4), Lit("(L**3/T)"), X(5),
                      Lit("(L**2)"), X(6), Lit("(L**3)"), Slash,
                      X(6), Lit("----"), X(9), Lit("----"), X(6), Lit("----------"), X(2), Lit("----------"), X(4),
                      Lit("-------"), X(6), Lit("------")});
  if (plot != nullptr)
    plot->write({X(8), Lit("T"), X(12), Lit("H"), X(10), Lit("SEEP"), X(8), Lit("SEEPT"), X(7), Lit("BANK"),
                      X(8), Lit("BANKV")});

  const int NT = static_cast<int>(results.time.size());
  std::vector<std::string> report_rows, plot_rows;
  for (int first = 0; first < NT; first += ROWS_PER_BATCH) {
    const int count = std::min(ROWS_PER_BATCH, NT - first);
    report_rows.assign(static_cast<std::size_t>(count), {});
    plot_rows.assign(plot != nullptr ? static_cast<std::size_t>(count) : 0, {});
#pragma omp parallel for schedule(static) if (count >= PARALLEL_MIN_ROWS)
    for (int r = 0; r < count; ++r) {
      const auto k = static_cast<std::size_t>(first + r);
      report_rows[static_cast<std::size_t>(r)] = report_row(results, k);
      if (plot != nullptr) plot_rows[static_cast<std::size_t>(r)] = plot_row(results, k);
    }
    // The report row of a step goes out before its plot row, both before the next step's.
    for (int r = 0; r < count; ++r) {
      report.write_record(report_rows[static_cast<std::size_t>(r)]);
      if (plot != nullptr) plot->write_record(plot_rows[static_cast<std::size_t>(r)]);
    }
  }
}

}  // namespace kesta
