// kesta-plot: draws the plot file that kesta writes as one SVG picture, and
// passes it on as CSV.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/interrupts.hpp"
#include "io/replaced_files.hpp"
#include "plot/case_results.hpp"
#include "plot/command_line.hpp"
#include "plot/csv_table.hpp"
#include "plot/picture_deck.hpp"
#include "plot/plot_file.hpp"
#include "plot/plot_picture.hpp"

namespace {

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int fail(std::string_view message) {
  std::cerr << "kesta-plot: " << message << '\n';
  return kFailure;
}

// "" when every output is whole in place; otherwise why none was written.
std::string write_files(const std::vector<kesta::OutputText>& outputs, kesta::PendingFiles& pending) {
  const auto failed = kesta::replace_files(outputs, &pending);
  if (!failed) return "";
  if (failed->folder_refused)
    return failed->name + ": cannot be written: the folder " + failed->folder + " takes no new file (" +
           std::strerror(failed->error) + ")";
  return failed->name + ": cannot write: " + std::strerror(failed->error);
}

// Whether the file starts as the results of kesta --case do; a file that
// cannot be opened is left to the plot file's reader to name.
bool is_case_results(const std::string& path) {
  constexpr std::size_t kStartBytes = 16;
  std::ifstream in(path, std::ios::binary);
  char start[kStartBytes] = {};
  in.read(start, kStartBytes);
  return kesta::plot::looks_like_case_results(std::string_view(start, static_cast<std::size_t>(in.gcount())));
}

std::string count_of(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kesta::plot;
  CommandLine line;
  try {
    line = parse_command_line(std::vector<std::string_view>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::cerr << "kesta-plot: " << e.what() << '\n';
    return kUsageError;
  }
  if (line.action == CommandLine::Action::Help) {
    std::cout << kUsage;
    return 0;
  }
  if (line.action == CommandLine::Action::Version) {
    std::cout << "kesta-plot " << KESTA_VERSION << '\n';
    return 0;
  }

  // Writing over an input, or both outputs into one file, would lose data.
  const std::pair<std::optional<std::string>, std::string_view> inputs[] = {{line.plot_file, "the plot file"},
                                                                            {line.deck_file, "the deck"}};
  for (const std::optional<std::string>& output : {line.svg_file, line.csv_file}) {
    if (!output) continue;
    for (const auto& [input, what] : inputs)
      if (input && kesta::same_output_file(*output, *input))
        return fail(*output + " is " + std::string(what) + " " + *input + "; name another output");
  }
  if (line.svg_file && line.csv_file && kesta::same_output_file(*line.svg_file, *line.csv_file))
    return fail(*line.svg_file + " and " + *line.csv_file +
                " are one file; the picture and the table need files of their own");

  // The results of kesta --case are drawn on their dates, when they have them.
  std::optional<CaseResults> case_results;
  PictureDates dates;
  PlotSeries series;
  if (is_case_results(line.plot_file)) {
    if (line.deck_file || line.csv_file) {
      std::cerr << "kesta-plot: " << line.plot_file
                << " holds a case's results: --deck and --csv are for plot files (the results are CSV already)\n";
      return kUsageError;
    }
    try {
      case_results = read_case_results(line.plot_file);
    } catch (const PlotFileError& e) {
      return fail(line.plot_file + ": " + e.what());
    }
    series = std::move(case_results->series);
    line.units = case_results->units;
    dates = {&case_results->seconds, case_results->offset, case_results->first_date, case_results->last_date};
  } else {
    try {
      series = read_plot_file(line.plot_file);
    } catch (const PlotFileError& e) {
      return fail(line.plot_file + ": " + e.what());
    }
  }
  std::optional<PictureDeck> deck;
  if (line.deck_file) {
    try {
      deck = read_picture_deck(*line.deck_file);
    } catch (const DeckFileError& e) {
      return fail(e.what());  // the library's message names the deck
    }
    const std::string mismatch = deck_mismatch(*deck, series);
    if (!mismatch.empty()) return fail(*line.deck_file + " is not the deck of " + line.plot_file + ": " + mismatch);
  }

  // Everything is made first so that a failure leaves no half-written file.
  PictureOptions options{line.plot_file, line.units, deck ? &*deck : nullptr};
  if (case_results) {
    options.source_kind = "case results";
    if (case_results->dated) options.dates = &dates;
  }
  const bool picture = line.svg_file || line.svg_to_standard_output();
  std::ostringstream svg, csv;
  if (picture) write_plot_svg(series, options, svg);
  if (line.csv_file) write_csv(series, line.units, csv);

  // Made before anything is written, so that an interruption removes the
  // unfinished files and leaves the former ones.
  kesta::PendingFiles pending;
  const kesta::InterruptGuard guard(pending);
  std::vector<std::string> wrote;
  const std::string picture_facts = " (" + count_of(static_cast<std::size_t>(panel_count(options)), "panel", "panels") +
                                    ", " + count_of(series.rows_read, "time step", "time steps") + ")";
  if (line.svg_to_standard_output()) {
    std::cout << svg.str() << std::flush;
    if (!std::cout) return fail("cannot write the picture to standard output");
    // Standard output holds the picture: the line saying so goes beside it.
    std::cerr << "kesta-plot: wrote the picture to standard output" << picture_facts << '\n';
    return 0;
  }
  // Both files or neither: a picture never stands beside the table of another run.
  const std::string svg_text = svg.str(), csv_text = csv.str();
  std::vector<kesta::OutputText> outputs;
  if (line.svg_file) {
    outputs.push_back({*line.svg_file, svg_text});
    wrote.push_back("the picture " + *line.svg_file + picture_facts);
  }
  if (line.csv_file) {
    outputs.push_back({*line.csv_file, csv_text});
    wrote.push_back("the table " + *line.csv_file + " (" + count_of(series.rows_read, "row", "rows") + ")");
  }
  if (const std::string error = write_files(outputs, pending); !error.empty()) return fail(error);
  std::cout << "kesta-plot: wrote " << wrote[0] << (wrote.size() > 1 ? " and " + wrote[1] : "") << '\n';
  return 0;
}
