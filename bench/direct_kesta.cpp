// The plain double loop as a program of its own, for whole-process comparisons:
// the same dialogue answers, deck reader, input summary and results table as
// kesta, with the superposition that evaluates a step response for every pair
// of output step and lag.
#include <cstdio>
#include <string>

#include "direct_superposition.hpp"
#include "driver/file_channels.hpp"
#include "driver/input_phase.hpp"
#include "io/record_reader.hpp"
#include "model/dimensionless.hpp"
#include "model/inversion.hpp"
#include "report/dimensionless_block.hpp"
#include "report/results_report.hpp"

int main() {
  std::string deck_name, report_name, plot_name;
  if (kesta::read_line(stdin, deck_name, 4096) != kesta::ReadStatus::Ok ||
      kesta::read_line(stdin, report_name, 4096) != kesta::ReadStatus::Ok ||
      kesta::read_line(stdin, plot_name, 4096) != kesta::ReadStatus::Ok) {
    std::fputs("direct_kesta: expected three names on standard input\n", stderr);
    return 2;
  }
  kesta::FileChannels files;
  if (files.deck.open(kesta::IUIN, deck_name) || files.report.open(kesta::IUOUT, report_name) ||
      (!plot_name.empty() && files.plot.open(kesta::IUPLOT, plot_name))) {
    std::fputs("direct_kesta: cannot open the files\n", stderr);
    return 2;
  }
  kesta::Deck deck;
  if (kesta::input_phase(files, deck)) return 1;
  const kesta::Derived derived = kesta::derive(deck);
  const kesta::Inversion inversion = kesta::prepare_inversion(deck.NS);
  kesta::write_dimensionless_block(deck, derived, files.report);
  kesta::write_results_heading(files.report);
  const kesta::Results results = kesta::superpose_directly(deck, derived, inversion);
  kesta::write_results_table(results, files.report, files.plot.is_open() ? &files.plot : nullptr);
  return files.report.close() || files.plot.close() ? 1 : 0;
}
