#include "report/results_report.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "io/record_editing.hpp"
#include "support/parallel_for.hpp"

namespace kesta {
namespace {

// Rows are edited in chunks on every core, then written in step order. A
// table shorter than kParallelFrom is edited faster than threads start, and
// leaves the other cores to whatever else runs: its rows go straight into the
// files' buffers.
constexpr int kRowsPerBatch = 4096;
constexpr int kRowsPerChunk = 128;

// A row: time, head, seepage, total seepage, bank storage and bank volume, each
// after its blanks, in the report's D and the plot file's E editing.
struct Column {
  int blanks, w, d;
};
constexpr std::array<Column, 6> kColumns = {{{1, 13, 6}, {2, 11, 5}, {2, 10, 4}, {2, 10, 4}, {2, 10, 4}, {2, 10, 4}}};
constexpr std::size_t row_bytes() {
  std::size_t n = 2;  // CR LF
  for (const Column& c : kColumns) n += static_cast<std::size_t>(c.blanks + c.w);
  return n;
}
constexpr std::size_t kRowBytes = row_bytes();

void append_row(std::string& out, const Results& r, std::size_t k, char letter) {
  const std::array<double, kColumns.size()> values = {r.time[k],          r.head[k],         r.seepage[k],
                                                      r.total_seepage[k], r.bank_storage[k], r.bank_volume[k]};
  const std::size_t at = out.size();
  out.resize(at + kRowBytes);
  char* p = out.data() + at;
  for (std::size_t c = 0; c < kColumns.size(); ++c) {
    std::memset(p, ' ', static_cast<std::size_t>(kColumns[c].blanks));
    p += kColumns[c].blanks;
    put_real(p, values[c], kColumns[c].w, kColumns[c].d, letter);
    p += kColumns[c].w;
  }
  *p++ = '\r';
  *p = '\n';
}

void append_report_row(std::string& out, const Results& r, std::size_t k) { append_row(out, r, k, 'D'); }
void append_plot_row(std::string& out, const Results& r, std::size_t k) { append_row(out, r, k, 'E'); }

}  // namespace

void write_results_heading(OutputUnit& report) {
  report.write({Slash, Slash, Slash, X(38), Lit("RESULTS"), Slash, X(38), Lit("-------"), Slash});
}

void write_results_table(const Results& results, OutputUnit& report, OutputUnit* plot, int busy_cores) {
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
  const int threads = std::max(worker_count() - std::max(busy_cores, 0), 1);
  if (NT < kParallelFrom || threads < 2) {
    for (int k = 0; k < NT; ++k) {
      const auto at = static_cast<std::size_t>(k);
      report.write_built([&](std::string& out) { append_report_row(out, results, at); });
      if (plot != nullptr) plot->write_built([&](std::string& out) { append_plot_row(out, results, at); });
    }
    return;
  }
  // Each chunk's rows, report and plot apart, as they go to the files; the
  // strings keep their room from batch to batch.
  std::vector<std::string> report_chunks, plot_chunks;
  for (int first = 0; first < NT; first += kRowsPerBatch) {
    const int count = std::min(kRowsPerBatch, NT - first);
    const int chunks = (count + kRowsPerChunk - 1) / kRowsPerChunk;
    report_chunks.resize(static_cast<std::size_t>(chunks));
    plot_chunks.resize(static_cast<std::size_t>(chunks));
    parallel_for(
        chunks, kParallelFrom / kRowsPerChunk, 1,
        [&](int c) {
          const int begin = first + c * kRowsPerChunk;
          const int end = std::min(begin + kRowsPerChunk, first + count);
          std::string& report_rows = report_chunks[static_cast<std::size_t>(c)];
          std::string& plot_rows = plot_chunks[static_cast<std::size_t>(c)];
          report_rows.clear();
          plot_rows.clear();
          report_rows.reserve(static_cast<std::size_t>(end - begin) * kRowBytes);
          if (plot != nullptr) plot_rows.reserve(static_cast<std::size_t>(end - begin) * kRowBytes);
          for (int k = begin; k < end; ++k) {
            append_report_row(report_rows, results, static_cast<std::size_t>(k));
            if (plot != nullptr) append_plot_row(plot_rows, results, static_cast<std::size_t>(k));
          }
        },
        threads);
    // The report and the plot file are separate files: each gets its rows in step order.
    for (int c = 0; c < chunks; ++c) {
      report.write_records(report_chunks[static_cast<std::size_t>(c)]);
      if (plot != nullptr) plot->write_records(plot_chunks[static_cast<std::size_t>(c)]);
    }
  }
}

}  // namespace kesta
