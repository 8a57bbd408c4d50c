#include "report/results_report.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "model/parallel_for.hpp"

namespace kesta {
namespace {

// Rows are edited in chunks on every core, then written in step order. A
// table shorter than PARALLEL_MIN_ROWS is edited faster than threads start, and
// leaves the other cores to whatever else runs.
constexpr int ROWS_PER_BATCH = 4096;
constexpr int PARALLEL_MIN_ROWS = 2048;
constexpr int ROWS_PER_CHUNK = 128;
constexpr std::size_t ROW_BYTES = 82;  // the widest row with its CR LF

void append_report_row(std::string& out, const Results& r, std::size_t k) {
  append_records(out, {X(1), D(13, 6), X(2), D(11, 5), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4), X(2), D(10, 4)},
                 {r.time[k], r.head[k], r.seepage[k], r.total_seepage[k], r.bank_storage[k], r.bank_volume[k]}, "\r\n");
}

void append_plot_row(std::string& out, const Results& r, std::size_t k) {
  append_records(out, {X(1), E(13, 6), X(2), E(11, 5), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4), X(2), E(10, 4)},
                 {r.time[k], r.head[k], r.seepage[k], r.total_seepage[k], r.bank_storage[k], r.bank_volume[k]}, "\r\n");
}

}  // namespace

void write_results_heading(OutputUnit& report) {
  report.write({Slash, Slash, Slash, X(38), Lit("RESULTS"), Slash, X(38), Lit("-------"), Slash});
}

void write_results_table(const Results& results, OutputUnit& report, OutputUnit* plot) {
  report.write({Slash,
                X(43),
                Lit("TOTAL"),
                X(7),
                Lit("BANK"),
                X(5),
                Lit("BANK-STORAGE"),
                Slash,
                X(6),
                Lit("TIME"),
                X(9),
                Lit("HEAD"),
                X(7),
                Lit("SEEPAGE"),
                X(5),
                Lit("SEEPAGE"),
                X(5),
                Lit("STORAGE"),
                X(6),
                Lit("VOLUME"),
                Slash,
                X(6),
                Lit("(T)"),
                X(10),
                Lit("(L)"),
                X(8),
                Lit("(L**2/T)"),
                X(4),
                Lit("(L**3/T)"),
                X(5),
                Lit("(L**2)"),
                X(6),
                Lit("(L**3)"),
                Slash,
                X(6),
                Lit("----"),
                X(9),
                Lit("----"),
                X(6),
                Lit("----------"),
                X(2),
                Lit("----------"),
                X(4),
                Lit("-------"),
                X(6),
                Lit("------")});
  if (plot != nullptr)
    plot->write({X(8), Lit("T"), X(12), Lit("H"), X(10), Lit("SEEP"), X(8), Lit("SEEPT"), X(7), Lit("BANK"), X(8),
                 Lit("BANKV")});

  const int NT = static_cast<int>(results.time.size());
  // Each chunk's rows, report and plot apart, as they go to the files.
  std::vector<std::string> report_chunks, plot_chunks;
  for (int first = 0; first < NT; first += ROWS_PER_BATCH) {
    const int count = std::min(ROWS_PER_BATCH, NT - first);
    const int chunks = (count + ROWS_PER_CHUNK - 1) / ROWS_PER_CHUNK;
    report_chunks.assign(static_cast<std::size_t>(chunks), {});
    plot_chunks.assign(static_cast<std::size_t>(chunks), {});
    parallel_for(chunks, PARALLEL_MIN_ROWS / ROWS_PER_CHUNK, 1, [&](int c) {
      const int begin = first + c * ROWS_PER_CHUNK;
      const int end = std::min(begin + ROWS_PER_CHUNK, first + count);
      std::string& report_rows = report_chunks[static_cast<std::size_t>(c)];
      std::string& plot_rows = plot_chunks[static_cast<std::size_t>(c)];
      report_rows.reserve(static_cast<std::size_t>(end - begin) * ROW_BYTES);
      if (plot != nullptr) plot_rows.reserve(static_cast<std::size_t>(end - begin) * ROW_BYTES);
      for (int k = begin; k < end; ++k) {
        append_report_row(report_rows, results, static_cast<std::size_t>(k));
        if (plot != nullptr) append_plot_row(plot_rows, results, static_cast<std::size_t>(k));
      }
    });
    // The report and the plot file are separate files: each gets its rows in step order.
    for (int c = 0; c < chunks; ++c) {
      report.write_records(report_chunks[static_cast<std::size_t>(c)]);
      if (plot != nullptr) plot->write_records(plot_chunks[static_cast<std::size_t>(c)]);
    }
  }
}

}  // namespace kesta
